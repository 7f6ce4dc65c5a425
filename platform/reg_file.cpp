// The in-memory registry tree and the REGEDIT4 reader and writer.
#include "platform/reg_file.h"

#include <algorithm>
#include <cstdio>

namespace velkaro {

namespace {

constexpr const char* kHeader = "REGEDIT4";
constexpr size_t kWrapColumn = 76;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string TrimRight(const std::string& s) {
    size_t n = s.size();
    while (n > 0 && IsBlank(s[n - 1])) --n;
    return s.substr(0, n);
}

std::string TrimLeft(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    return s.substr(i);
}

std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string HexByte(uint8_t b) {
    static const char digits[] = "0123456789abcdef";
    return {digits[b >> 4], digits[b & 15]};
}

// A REG_SZ that the quoted form carries exactly: printable text and one terminating zero.
bool QuotableString(const TRegValue& v) {
    if (v.Type != rtSz || v.Data.empty() || v.Data.back() != 0) return false;
    for (size_t i = 0; i + 1 < v.Data.size(); ++i) {
        uint8_t b = v.Data[i];
        if (b < 0x20 && b != '\t') return false;
    }
    return true;
}

std::string FormatValue(const std::string& name, const TRegValue& v) {
    std::string line = name.empty() ? "@" : Quote(name);
    line += '=';
    if (QuotableString(v)) {
        return line + Quote(std::string(v.Data.begin(), v.Data.end() - 1));
    }
    if (v.Type == rtDword && v.Data.size() == 4) {
        uint32_t u = uint32_t(v.Data[0]) | uint32_t(v.Data[1]) << 8 | uint32_t(v.Data[2]) << 16 |
                     uint32_t(v.Data[3]) << 24;
        char buf[16];
        snprintf(buf, sizeof buf, "%08x", u);
        return line + "dword:" + buf;
    }
    if (v.Type == rtBinary) {
        line += "hex:";
    } else {
        char buf[16];
        snprintf(buf, sizeof buf, "hex(%x):", v.Type);
        line += buf;
    }
    // Long hex data continues on indented lines, as the export format does.
    std::string out;
    for (size_t i = 0; i < v.Data.size(); ++i) {
        line += HexByte(v.Data[i]);
        if (i + 1 < v.Data.size()) {
            line += ',';
            if (line.size() >= kWrapColumn) {
                out += line + "\\\n";
                line = "  ";
            }
        }
    }
    return out + line;
}

void FormatKey(const TRegNode& node, const std::string& path, bool isRoot, std::string& out) {
    if (!isRoot || !node.Values().empty()) {
        out += "[" + path + "]\n";
        for (const auto& [name, value] : node.Values()) out += FormatValue(name, value) + "\n";
        out += "\n";
    }
    for (const auto& [folded, child] : node.Keys) FormatKey(*child, path + "\\" + child->Name, false, out);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads a quoted string at s[pos] == '"'; pos ends after the closing quote.
bool ParseQuoted(const std::string& s, size_t& pos, std::string& out) {
    if (pos >= s.size() || s[pos] != '"') return false;
    ++pos;
    out.clear();
    while (pos < s.size()) {
        char c = s[pos++];
        if (c == '"') return true;
        if (c == '\\' && pos < s.size()) {
            char n = s[pos];
            if (n == '\\' || n == '"') {
                out += n;
                ++pos;
                continue;
            }
            // A lone backslash (a hand-typed path) stays as it is.
        }
        out += c;
    }
    return false;
}

bool ParseHexBytes(const std::string& s, std::vector<uint8_t>& out, std::string& reason) {
    out.clear();
    std::string t = TrimLeft(TrimRight(s));
    if (t.empty()) return true;
    size_t pos = 0;
    while (true) {
        while (pos < t.size() && IsBlank(t[pos])) ++pos;
        if (pos + 2 > t.size() || HexDigit(t[pos]) < 0 || HexDigit(t[pos + 1]) < 0) {
            reason = "bad hexadecimal byte";
            return false;
        }
        out.push_back(static_cast<uint8_t>(HexDigit(t[pos]) * 16 + HexDigit(t[pos + 1])));
        pos += 2;
        while (pos < t.size() && IsBlank(t[pos])) ++pos;
        if (pos == t.size()) return true;
        if (t[pos] != ',') {
            reason = "expected a comma between bytes";
            return false;
        }
        ++pos;
        // Tolerate a trailing comma.
        size_t rest = pos;
        while (rest < t.size() && IsBlank(t[rest])) ++rest;
        if (rest == t.size()) return true;
    }
}

// The data after '=': fills value, or sets `remove` for the deletion form "-".
bool ParseData(const std::string& s, TRegValue& value, bool& remove, std::string& reason) {
    remove = false;
    std::string t = TrimLeft(s);
    if (t == "-") {
        remove = true;
        return true;
    }
    if (!t.empty() && t[0] == '"') {
        size_t pos = 0;
        std::string text;
        if (!ParseQuoted(t, pos, text) || !TrimLeft(t.substr(pos)).empty()) {
            reason = "unterminated string";
            return false;
        }
        value.Type = rtSz;
        value.Data.assign(text.begin(), text.end());
        value.Data.push_back(0);
        return true;
    }
    if (t.compare(0, 6, "dword:") == 0) {
        std::string digits = TrimRight(t.substr(6));
        if (digits.empty() || digits.size() > 8) {
            reason = "bad dword";
            return false;
        }
        uint32_t u = 0;
        for (char c : digits) {
            int d = HexDigit(c);
            if (d < 0) {
                reason = "bad dword";
                return false;
            }
            u = u << 4 | uint32_t(d);
        }
        value.Type = rtDword;
        value.Data = {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
        return true;
    }
    if (t.compare(0, 4, "hex:") == 0) {
        value.Type = rtBinary;
        return ParseHexBytes(t.substr(4), value.Data, reason);
    }
    if (t.compare(0, 4, "hex(") == 0) {
        size_t close = t.find("):", 4);
        if (close == std::string::npos || close == 4 || close > 12) {
            reason = "bad value type";
            return false;
        }
        uint32_t type = 0;
        for (size_t i = 4; i < close; ++i) {
            int d = HexDigit(t[i]);
            if (d < 0) {
                reason = "bad value type";
                return false;
            }
            type = type << 4 | uint32_t(d);
        }
        value.Type = type;
        return ParseHexBytes(t.substr(close + 2), value.Data, reason);
    }
    reason = "unknown value data";
    return false;
}

// "[HKEY_...\A\B]" into root and path.
bool ParseKeyPath(const std::string& text, uint32_t& root, TRegPath& path) {
    size_t cut = text.find('\\');
    root = RegRootFromName(text.substr(0, cut));
    if (root == 0) return false;
    path = cut == std::string::npos ? TRegPath{} : SplitRegPath(text.substr(cut + 1));
    return true;
}

}  // namespace

TRegPath SplitRegPath(const std::string& path) {
    TRegPath parts;
    std::string cur;
    for (char c : path) {
        if (c == '\\') {
            if (!cur.empty()) parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) parts.push_back(cur);
    return parts;
}

// ---- the tree ----

TRegNode* TRegNode::FindKey(const std::string& name) const {
    auto it = Keys.find(RegFoldName(name));
    return it == Keys.end() ? nullptr : it->second.get();
}

TRegNode* TRegNode::AddKey(const std::string& name) {
    auto& slot = Keys[RegFoldName(name)];
    if (!slot) {
        slot = std::make_unique<TRegNode>();
        slot->Name = name;
    }
    return slot.get();
}

bool TRegNode::DeleteKey(const std::string& name) { return Keys.erase(RegFoldName(name)) != 0; }

const TRegValue* TRegNode::FindValue(const std::string& name) const {
    auto it = FValueIndex.find(RegFoldName(name));
    return it == FValueIndex.end() ? nullptr : &FValues[it->second].second;
}

void TRegNode::SetValue(const std::string& name, TRegValue value) {
    auto [it, added] = FValueIndex.emplace(RegFoldName(name), FValues.size());
    if (added) FValues.emplace_back(name, std::move(value));
    else FValues[it->second].second = std::move(value);
}

bool TRegNode::DeleteValue(const std::string& name) {
    auto it = FValueIndex.find(RegFoldName(name));
    if (it == FValueIndex.end()) return false;
    size_t place = it->second;
    FValueIndex.erase(it);
    FValues.erase(FValues.begin() + static_cast<std::ptrdiff_t>(place));
    for (auto& [folded, i] : FValueIndex)
        if (i > place) --i;
    return true;
}

TRegTree::TRegTree() {
    for (uint32_t h : {rhClassesRoot, rhCurrentUser, rhLocalMachine, rhUsers, rhCurrentConfig})
        FRoots[h];
}

TRegNode* TRegTree::Find(uint32_t root, const TRegPath& path) const {
    auto it = FRoots.find(root);
    if (it == FRoots.end()) return nullptr;
    const TRegNode* node = &it->second;
    for (const auto& name : path) {
        node = node->FindKey(name);
        if (!node) return nullptr;
    }
    return const_cast<TRegNode*>(node);
}

TRegNode* TRegTree::Create(uint32_t root, const TRegPath& path, bool* created) {
    if (created) *created = false;
    auto it = FRoots.find(root);
    if (it == FRoots.end()) return nullptr;
    TRegNode* node = &it->second;
    bool isNew = false;
    for (const auto& name : path) {
        TRegNode* next = node->FindKey(name);
        isNew = next == nullptr;
        node = isNew ? node->AddKey(name) : next;
    }
    if (created) *created = isNew;
    return node;
}

bool TRegTree::Delete(uint32_t root, const TRegPath& path) {
    if (path.empty()) return false;
    TRegPath parentPath(path.begin(), path.end() - 1);
    TRegNode* parent = Find(root, parentPath);
    return parent && parent->DeleteKey(path.back());
}

bool TRegTree::Empty() const {
    for (const auto& [h, node] : FRoots)
        if (!node.Keys.empty() || !node.Values().empty()) return false;
    return true;
}

// ---- text ----

bool RegNameStorable(const std::string& name) {
    return name.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

std::string FormatRegFile(const TRegTree& tree) {
    std::string out = std::string(kHeader) + "\n\n";
    for (const auto& [handle, node] : tree.Roots()) FormatKey(node, RegRootName(handle), true, out);
    return out;
}

bool ParseRegFile(const std::string& text, TRegTree& tree, TRegParseError& error) {
    // Physical lines, then logical lines (hex data continues after a trailing backslash).
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    if (lines.empty()) return true;
    if (TrimRight(lines[0]) != kHeader) {
        error = {1, "the first line is not " + std::string(kHeader)};
        return false;
    }
    TRegNode* current = nullptr;
    for (size_t i = 1; i < lines.size(); ++i) {
        int lineNo = static_cast<int>(i + 1);
        std::string line = TrimRight(lines[i]);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            if (line.back() != ']') {
                error = {lineNo, "a key line must end with ]"};
                return false;
            }
            std::string inner = line.substr(1, line.size() - 2);
            bool remove = !inner.empty() && inner[0] == '-';
            if (remove) inner.erase(0, 1);
            uint32_t root;
            TRegPath path;
            if (!ParseKeyPath(inner, root, path)) {
                error = {lineNo, "unknown registry root"};
                return false;
            }
            if (remove) {
                tree.Delete(root, path);
                current = nullptr;
            } else {
                current = tree.Create(root, path);
            }
            continue;
        }
        // A trailing backslash continues the line on the next one. An empty line there means
        // the continuation is missing (the line was cut or deleted by hand); the value would be
        // read short, so the text is refused rather than guessed at.
        while (!line.empty() && line.back() == '\\' && i + 1 < lines.size()) {
            const std::string next = TrimLeft(TrimRight(lines[i + 1]));
            if (next.empty()) {
                error = {lineNo, "a line ending in a backslash is not followed by its continuation"};
                return false;
            }
            line.pop_back();
            line += next;
            ++i;
        }
        if (!current) {
            error = {lineNo, "a value outside of any key"};
            return false;
        }
        std::string name;
        size_t pos = 0;
        if (line[0] == '@') {
            pos = 1;
        } else if (!ParseQuoted(line, pos, name)) {
            error = {lineNo, "a value name must be quoted"};
            return false;
        }
        while (pos < line.size() && IsBlank(line[pos])) ++pos;
        if (pos >= line.size() || line[pos] != '=') {
            error = {lineNo, "expected = after the value name"};
            return false;
        }
        TRegValue value;
        bool remove = false;
        std::string reason;
        if (!ParseData(line.substr(pos + 1), value, remove, reason)) {
            error = {lineNo, reason};
            return false;
        }
        if (remove) current->DeleteValue(name);
        else current->SetValue(name, std::move(value));
    }
    return true;
}

}  // namespace velkaro
