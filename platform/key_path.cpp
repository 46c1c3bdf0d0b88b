#include "platform/key_path.h"

#include <cstring>

UnicodeString JoinKeyPath(const UnicodeString& parent, const UnicodeString& child)
{
    UnicodeString joined;
    joined.Resize(parent.Length() + 1 + child.Length());
    wchar_t* out = joined.Data();
    std::memcpy(out, parent.CStr(), sizeof(wchar_t) * parent.Length());
    out[parent.Length()] = L'\\';
    std::memcpy(out + parent.Length() + 1, child.CStr(), sizeof(wchar_t) * child.Length());
    return joined;
}
