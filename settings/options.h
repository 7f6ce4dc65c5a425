// The program's options: every setting of the displays, stored by name through a property table.
#pragma once

#include <cstdint>
#include <string>

namespace velkaro {

class TIniStore;

using TColor = uint32_t;       // 0x00BBGGRR, or 0x80000000 + system colour index
using TFontStyles = uint8_t;   // fsBold | fsItalic | fsUnderline | fsStrikeOut
constexpr TFontStyles fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8;
constexpr TColor clInfoBk = 0x80000018;  // the desktop's tooltip background

enum TStorageType : int32_t { eosRegistry = 0, eosIni = 1, eosStore = 2 };

// Base: Load and Save work over the subclass's property table by name.
// (The table and its accessors are declared by the settings implementation.)
class TPersistentOptions {
public:
    virtual ~TPersistentOptions();
    void Load();
    void Save();

    bool AutoSave = false;
    std::string IniName;
    std::string IniSection = "Options";
    TIniStore* Storage = nullptr;
    TStorageType StorageType = eosRegistry;
    bool Loading = false;
};

class TZonariaOptions : public TPersistentOptions {
public:
    std::string Name;
    int32_t Tag = 0;
    TColor StatusColor = 0;
    TColor StatusFontColor = 0;
    TFontStyles StatusFontStyle = 0;
    uint32_t StatusFontSize = 8;
    TColor MVTColor = 0;
    TColor MVTFontColor = 0;
    TColor HintColor = clInfoBk;
    TColor HintFontColor = 0;
    TFontStyles MVTFontStyle = 0;
    TFontStyles HintFontStyle = 0;
    uint32_t MVTFontSize = 8;
    uint32_t HintFontSize = 8;
    int32_t MVTFormat = 0;
    std::string HintTimeFormat = "D x";
    std::string StatusTimeFormat = "DD xx";
};

// The one global options object, created with its defaults before any window.
TZonariaOptions& ZonariaOptions();

}  // namespace velkaro
