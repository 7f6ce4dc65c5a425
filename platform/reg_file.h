// The registry in memory and its text form: the REGEDIT4 export format, 8-bit text, which a
// person can read and edit. Every value kind round-trips byte for byte: strings that the quoted
// form cannot carry (line breaks, control characters, embedded or missing terminators) are
// written in the hex form instead.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/registry_hive.h"

namespace velkaro {

using TRegPath = std::vector<std::string>;  // key names below a root

// Splits "A\B\\C\" into {"A","B","C"}: empty names are ignored.
TRegPath SplitRegPath(const std::string& path);

struct TRegNode {
    using TValueList = std::vector<std::pair<std::string, TRegValue>>;

    std::string Name;                                        // as first created
    std::map<std::string, std::unique_ptr<TRegNode>> Keys;  // by folded name, so sorted

    TRegNode* FindKey(const std::string& name) const;
    TRegNode* AddKey(const std::string& name);  // finds or creates
    bool DeleteKey(const std::string& name);
    const TValueList& Values() const { return FValues; }  // in order of creation
    const TRegValue* FindValue(const std::string& name) const;
    void SetValue(const std::string& name, TRegValue value);
    bool DeleteValue(const std::string& name);

private:
    TValueList FValues;
    std::unordered_map<std::string, size_t> FValueIndex;  // folded name -> place in FValues
};

class TRegTree {
public:
    TRegTree();  // with the five roots, empty
    TRegNode* Find(uint32_t root, const TRegPath& path) const;
    // Creates what is missing; `created` tells whether the last key was new. None for a bad root.
    TRegNode* Create(uint32_t root, const TRegPath& path, bool* created = nullptr);
    bool Delete(uint32_t root, const TRegPath& path);  // with everything below; not a root
    bool Empty() const;
    const std::map<uint32_t, TRegNode>& Roots() const { return FRoots; }

private:
    std::map<uint32_t, TRegNode> FRoots;
};

// Whether a key or value name can be written to the file (no line breaks or zero bytes).
bool RegNameStorable(const std::string& name);

std::string FormatRegFile(const TRegTree& tree);

struct TRegParseError {
    int Line = 0;
    std::string Reason;
};
// Fills `tree` (which should start empty); false with `error` set when the text is not a hive.
// An empty text is an empty hive.
bool ParseRegFile(const std::string& text, TRegTree& tree, TRegParseError& error);

}  // namespace velkaro
