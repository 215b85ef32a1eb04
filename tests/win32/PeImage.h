// A small reader of 32-bit PE files: the headers the tests check and the
// resource section, with parsers for the resource formats Setup.exe carries
// (string tables, extended dialog templates, icon groups, version information).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace pe {

using Bytes = std::vector<std::uint8_t>;

// Resource types by number.
constexpr std::uint16_t kRtIcon = 3;
constexpr std::uint16_t kRtDialog = 5;
constexpr std::uint16_t kRtString = 6;
constexpr std::uint16_t kRtGroupIcon = 14;
constexpr std::uint16_t kRtVersion = 16;

struct ResourceEntry {
  std::uint16_t type = 0;
  std::uint16_t name = 0;  // resources of Setup.exe are all numbered
  std::uint16_t language = 0;
  Bytes data;
};

class Image {
 public:
  // Reads the file; on a malformed or unreadable file returns null and sets *error.
  static std::optional<Image> Load(const std::filesystem::path& file, std::string* error);

  std::uint16_t Machine() const { return machine_; }
  std::uint16_t Subsystem() const { return subsystem_; }
  std::uint16_t MajorSubsystemVersion() const { return majorSubsystem_; }
  std::uint16_t MinorSubsystemVersion() const { return minorSubsystem_; }
  // Every resource, in the directory's order; named entries are reported as errors.
  const std::vector<ResourceEntry>& Resources() const { return resources_; }
  const ResourceEntry* Find(std::uint16_t type, std::uint16_t name) const;

 private:
  std::uint16_t machine_ = 0;
  std::uint16_t subsystem_ = 0;
  std::uint16_t majorSubsystem_ = 0;
  std::uint16_t minorSubsystem_ = 0;
  std::vector<ResourceEntry> resources_;
};

// The strings of one string-table block (16 entries, empty where absent), as
// 8-bit text (every character of Setup.exe's strings is below 0x100).
std::optional<std::vector<std::string>> ParseStringBlock(const Bytes& data, std::string* error);

// A name or ordinal field of a dialog template.
struct NameOrOrdinal {
  bool isOrdinal = false;
  std::uint16_t ordinal = 0;
  std::string name;
  bool operator==(const NameOrOrdinal&) const = default;
};

struct DialogItem {
  std::uint32_t helpId = 0;
  std::uint32_t exStyle = 0;
  std::uint32_t style = 0;
  std::int16_t x = 0, y = 0, cx = 0, cy = 0;
  std::uint32_t id = 0;
  NameOrOrdinal windowClass;
  NameOrOrdinal title;
  std::uint16_t extraCount = 0;
};

struct DialogTemplate {
  std::uint16_t version = 0;
  std::uint16_t signature = 0;
  std::uint32_t helpId = 0;
  std::uint32_t exStyle = 0;
  std::uint32_t style = 0;
  std::int16_t x = 0, y = 0, cx = 0, cy = 0;
  NameOrOrdinal menu;
  NameOrOrdinal windowClass;
  std::string title;
  std::uint16_t pointSize = 0;
  std::uint16_t weight = 0;
  std::uint8_t italic = 0;
  std::uint8_t charset = 0;
  std::string typeface;
  std::vector<DialogItem> items;
};

// An extended dialog template (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX entries).
std::optional<DialogTemplate> ParseDialogEx(const Bytes& data, std::string* error);

struct IconGroupEntry {
  std::uint8_t width = 0, height = 0, colourCount = 0;
  std::uint16_t planes = 0, bitCount = 0;
  std::uint32_t bytes = 0;
  std::uint16_t iconId = 0;
};
std::optional<std::vector<IconGroupEntry>> ParseIconGroup(const Bytes& data, std::string* error);

// The BITMAPINFOHEADER at the start of an RT_ICON image.
struct IconImageHeader {
  std::int32_t width = 0, height = 0;  // height counts the image and its mask
  std::uint16_t planes = 0, bitCount = 0;
};
std::optional<IconImageHeader> ParseIconImage(const Bytes& data, std::string* error);

struct VersionInfo {
  std::uint32_t signature = 0;
  std::uint32_t fileVersionMs = 0, fileVersionLs = 0;
  std::uint32_t productVersionMs = 0, productVersionLs = 0;
  std::uint32_t fileOs = 0, fileType = 0;
  // StringFileInfo: block name ("040904B0") and its key/value pairs, in order.
  std::string stringTable;
  std::vector<std::pair<std::string, std::string>> strings;
  std::vector<std::uint32_t> translations;  // VarFileInfo\Translation, language | codepage << 16
};
std::optional<VersionInfo> ParseVersion(const Bytes& data, std::string* error);

}  // namespace pe
