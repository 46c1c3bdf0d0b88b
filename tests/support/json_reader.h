// A strict reader of the check's JSON: the grammar of RFC 8259 and nothing
// more (no raw control characters, no stray escapes, no trailing text, no
// member twice), in ASCII only, as the check promises to write it.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct JsonNode {
    enum class Kind { Null, Boolean, Number, String, Array, Object };
    Kind kind = Kind::Null;
    // A string's text unescaped; a number, true or false as written.
    std::wstring text;
    std::vector<std::pair<std::wstring, JsonNode>> members;
    std::vector<JsonNode> items;
};

// Reads `json` into `root`; returns false, with what and where in `error`, at
// the first departure from the grammar. Never throws but for lack of memory.
bool ReadJson(const std::string& json, JsonNode& root, std::string& error);

// Returns the member named `key` of `node`, else the first found below it; null when none.
const JsonNode* FindMember(const JsonNode& node, const std::wstring& key);
