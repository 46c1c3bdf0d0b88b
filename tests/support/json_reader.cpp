#include "tests/support/json_reader.h"

#include <cstring>

namespace {
class Reader {
public:
    explicit Reader(const std::string& json) : json_(json) {}

    bool Document(JsonNode& root)
    {
        Space();
        if (!Value(root, 0)) return false;
        Space();
        return at_ == json_.size() || Fail("text after the value");
    }

    std::string error;

private:
    bool Fail(const char* what)
    {
        if (error.empty()) error = std::string(what) + " at byte " + std::to_string(at_);
        return false;
    }
    bool More() const { return at_ < json_.size(); }
    char Peek() const { return More() ? json_[at_] : '\0'; }
    void Space()
    {
        while (More() && std::strchr(" \t\n\r", json_[at_]) && json_[at_] != '\0') ++at_;
    }
    bool Literal(const char* word)
    {
        const std::size_t length = std::strlen(word);
        if (json_.compare(at_, length, word) != 0) return Fail("an unknown literal");
        at_ += length;
        return true;
    }

    bool Value(JsonNode& node, int depth)
    {
        if (depth > 64) return Fail("nesting too deep");
        switch (Peek()) {
            case '{':
                node.kind = JsonNode::Kind::Object;
                return Object(node, depth);
            case '[':
                node.kind = JsonNode::Kind::Array;
                return Array(node, depth);
            case '"':
                node.kind = JsonNode::Kind::String;
                return String(node.text);
            case 't':
                node.kind = JsonNode::Kind::Boolean;
                node.text = L"true";
                return Literal("true");
            case 'f':
                node.kind = JsonNode::Kind::Boolean;
                node.text = L"false";
                return Literal("false");
            case 'n':
                node.kind = JsonNode::Kind::Null;
                return Literal("null");
            default:
                node.kind = JsonNode::Kind::Number;
                return Number(node.text);
        }
    }

    bool Object(JsonNode& node, int depth)
    {
        ++at_;
        Space();
        if (Peek() == '}') return ++at_, true;
        for (;;) {
            Space();
            std::wstring name;
            if (Peek() != '"' || !String(name)) return Fail("a member without a string name");
            for (const auto& member : node.members)
                if (member.first == name) return Fail("a member written twice");
            Space();
            if (Peek() != ':') return Fail("a member without ':'");
            ++at_;
            Space();
            node.members.emplace_back(name, JsonNode());
            if (!Value(node.members.back().second, depth + 1)) return false;
            Space();
            if (Peek() == '}') return ++at_, true;
            if (Peek() != ',') return Fail("members not separated by ','");
            ++at_;
        }
    }

    bool Array(JsonNode& node, int depth)
    {
        ++at_;
        Space();
        if (Peek() == ']') return ++at_, true;
        for (;;) {
            Space();
            node.items.emplace_back();
            if (!Value(node.items.back(), depth + 1)) return false;
            Space();
            if (Peek() == ']') return ++at_, true;
            if (Peek() != ',') return Fail("items not separated by ','");
            ++at_;
        }
    }

    bool String(std::wstring& text)
    {
        ++at_;
        for (;;) {
            if (!More()) return Fail("a string without its closing quote");
            const unsigned char unit = static_cast<unsigned char>(json_[at_++]);
            if (unit == '"') return true;
            if (unit < 0x20) return Fail("a raw control character in a string");
            if (unit > 0x7E) return Fail("a byte outside printable ASCII in a string");
            if (unit != '\\') {
                text += static_cast<wchar_t>(unit);
                continue;
            }
            const char escape = Peek();
            ++at_;
            const char* plain = std::strchr("\"\\/bfnrt", escape);
            if (escape != '\0' && plain) {
                static const wchar_t kMeaning[] = L"\"\\/\b\f\n\r\t";
                text += kMeaning[plain - "\"\\/bfnrt"];
            } else if (escape == 'u') {
                if (at_ + 4 > json_.size()) return Fail("a short \\u escape");
                unsigned value = 0;
                for (int i = 0; i < 4; ++i) {
                    const char digit = json_[at_++];
                    const char* hex = std::strchr("0123456789abcdef", digit | 0x20);
                    if (digit == '\0' || !hex) return Fail("a \\u escape with a non-hex digit");
                    value = value * 16 + static_cast<unsigned>(hex - "0123456789abcdef");
                }
                text += static_cast<wchar_t>(value);
            } else {
                return Fail("an unknown escape");
            }
        }
    }

    bool Number(std::wstring& text)
    {
        const std::size_t start = at_;
        auto digits = [this] {
            const std::size_t first = at_;
            while (More() && json_[at_] >= '0' && json_[at_] <= '9') ++at_;
            return at_ > first;
        };
        if (Peek() == '-') ++at_;
        if (Peek() == '0')
            ++at_;
        else if (!digits())
            return Fail("an unexpected character");
        if (Peek() == '.' && (++at_, !digits())) return Fail("a fraction without digits");
        if (Peek() == 'e' || Peek() == 'E') {
            ++at_;
            if (Peek() == '+' || Peek() == '-') ++at_;
            if (!digits()) return Fail("an exponent without digits");
        }
        text.assign(json_.begin() + static_cast<std::ptrdiff_t>(start),
                    json_.begin() + static_cast<std::ptrdiff_t>(at_));
        return true;
    }

    const std::string& json_;
    std::size_t at_ = 0;
};
}  // namespace

bool ReadJson(const std::string& json, JsonNode& root, std::string& error)
{
    Reader reader(json);
    root = JsonNode();
    const bool read = reader.Document(root);
    error = reader.error;
    return read;
}

const JsonNode* FindMember(const JsonNode& node, const std::wstring& key)
{
    for (const auto& member : node.members)
        if (member.first == key) return &member.second;
    for (const auto& member : node.members)
        if (const JsonNode* found = FindMember(member.second, key)) return found;
    for (const JsonNode& item : node.items)
        if (const JsonNode* found = FindMember(item, key)) return found;
    return nullptr;
}
