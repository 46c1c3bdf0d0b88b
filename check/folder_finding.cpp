#include "check/folder_finding.h"

#include "platform/arguments.h"
#include "platform/windows_api.h"

FolderFinding ExamineFolder(const UnicodeString& path)
{
    using Kind = FolderFinding::Kind;
    FolderFinding finding;
    finding.path = path;
    const UnicodeString& wide = path;
    WindowsApi& api = Windows();
    const DWORD attributes = api.GetFileAttributesW(wide.CStr());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        finding.error = api.GetLastError();
        // The directory test's own answer tells absence from a read it could not make.
        finding.kind = IsExistingDirectory(wide, true) ? Kind::Unexaminable : Kind::Absent;
        return finding;
    }
    const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        finding.kind = folder ? Kind::Folder : Kind::File;
    } else if (!folder) {
        finding.kind = Kind::LinkToFile;
    } else {
        finding.kind = IsExistingDirectory(wide, true) ? Kind::LinkToFolder : Kind::BrokenLink;
    }
    return finding;
}
