#include "win32/PeImage.h"

#include <fstream>
#include <iterator>

namespace pe {
namespace {

// Bounded little-endian reads; the first read past the end marks the cursor failed.
class Cursor {
 public:
  Cursor(const Bytes& data, std::size_t offset = 0, std::size_t end = SIZE_MAX)
      : data_(data), offset_(offset), end_(end < data.size() ? end : data.size()) {}

  bool Ok() const { return ok_; }
  std::size_t Offset() const { return offset_; }
  std::size_t End() const { return end_; }
  void Seek(std::size_t offset) {
    if (offset > end_) ok_ = false;
    offset_ = offset;
  }
  void AlignTo(std::size_t base, std::size_t alignment) {
    std::size_t relative = offset_ - base;
    Seek(offset_ + (alignment - relative % alignment) % alignment);
  }
  std::uint8_t U8() { return static_cast<std::uint8_t>(Take(1)); }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Take(2)); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Take(4)); }
  std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  // A zero-terminated UTF-16 string, as 8-bit text; characters above 0xFF fail.
  std::string Utf16z() {
    std::string text;
    for (;;) {
      std::uint16_t c = U16();
      if (!ok_ || c == 0) break;
      if (c > 0xFF) ok_ = false;
      text.push_back(static_cast<char>(c));
    }
    return text;
  }
  std::string Utf16(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count && ok_; ++i) {
      std::uint16_t c = U16();
      if (c > 0xFF) ok_ = false;
      text.push_back(static_cast<char>(c));
    }
    return text;
  }

 private:
  std::uint64_t Take(int bytes) {
    if (!ok_ || offset_ + bytes > end_) {
      ok_ = false;
      return 0;
    }
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= std::uint64_t{data_[offset_ + i]} << (8 * i);
    offset_ += bytes;
    return value;
  }

  const Bytes& data_;
  std::size_t offset_;
  std::size_t end_;
  bool ok_ = true;
};

struct Section {
  std::uint32_t virtualAddress = 0, virtualSize = 0, rawOffset = 0, rawSize = 0;
};

bool Fail(std::string* error, const std::string& what) {
  if (error != nullptr) *error = what;
  return false;
}

}  // namespace

std::optional<Image> Image::Load(const std::filesystem::path& file, std::string* error) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    Fail(error, "cannot read " + file.string());
    return std::nullopt;
  }
  Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

  Image image;
  Cursor c(bytes);
  if (c.U16() != 0x5A4D) return Fail(error, "no MZ header"), std::nullopt;
  c.Seek(0x3C);
  std::uint32_t peOffset = c.U32();
  c.Seek(peOffset);
  if (c.U32() != 0x00004550) return Fail(error, "no PE signature"), std::nullopt;
  image.machine_ = c.U16();
  std::uint16_t sectionCount = c.U16();
  c.Seek(c.Offset() + 12);
  std::uint16_t optionalSize = c.U16();
  c.U16();  // characteristics
  std::size_t optionalStart = c.Offset();
  if (c.U16() != 0x10B) return Fail(error, "not a 32-bit PE image"), std::nullopt;
  c.Seek(optionalStart + 48);
  image.majorSubsystem_ = c.U16();
  image.minorSubsystem_ = c.U16();
  c.Seek(optionalStart + 68);
  image.subsystem_ = c.U16();
  c.Seek(optionalStart + 92);
  std::uint32_t directoryCount = c.U32();
  std::uint32_t resourceRva = 0, resourceSize = 0;
  if (directoryCount > 2) {
    c.Seek(optionalStart + 96 + 2 * 8);
    resourceRva = c.U32();
    resourceSize = c.U32();
  }
  c.Seek(optionalStart + optionalSize);
  std::vector<Section> sections(sectionCount);
  for (Section& s : sections) {
    c.Seek(c.Offset() + 8);  // name
    s.virtualSize = c.U32();
    s.virtualAddress = c.U32();
    s.rawSize = c.U32();
    s.rawOffset = c.U32();
    c.Seek(c.Offset() + 16);
  }
  if (!c.Ok()) return Fail(error, "truncated PE headers"), std::nullopt;
  if (resourceRva == 0) return image;

  auto toOffset = [&](std::uint32_t rva, std::uint32_t size) -> std::optional<std::size_t> {
    for (const Section& s : sections) {
      if (rva >= s.virtualAddress && rva - s.virtualAddress + std::uint64_t{size} <= s.rawSize)
        return s.rawOffset + (rva - s.virtualAddress);
    }
    return std::nullopt;
  };
  std::optional<std::size_t> base = toOffset(resourceRva, resourceSize);
  if (!base) return Fail(error, "resource directory outside the sections"), std::nullopt;

  // Three levels: type, name, language; every entry of ours is numbered.
  std::string problem;
  auto entries = [&](std::size_t directory, auto&& visit) {
    Cursor d(bytes, *base + directory, *base + resourceSize);
    d.Seek(d.Offset() + 12);
    std::uint16_t named = d.U16();
    std::uint16_t numbered = d.U16();
    if (named != 0) problem = "named resource entries";
    for (int i = 0; i < named + numbered && d.Ok(); ++i) {
      std::uint32_t id = d.U32();
      std::uint32_t target = d.U32();
      visit(static_cast<std::uint16_t>(id), target);
    }
    if (!d.Ok()) problem = "truncated resource directory";
  };
  entries(0, [&](std::uint16_t type, std::uint32_t typeTarget) {
    if (!(typeTarget & 0x80000000u)) return void(problem = "type entry without directory");
    entries(typeTarget & 0x7FFFFFFFu, [&](std::uint16_t name, std::uint32_t nameTarget) {
      if (!(nameTarget & 0x80000000u)) return void(problem = "name entry without directory");
      entries(nameTarget & 0x7FFFFFFFu, [&](std::uint16_t language, std::uint32_t dataEntry) {
        if (dataEntry & 0x80000000u) return void(problem = "language entry is a directory");
        Cursor e(bytes, *base + dataEntry, *base + resourceSize);
        std::uint32_t rva = e.U32();
        std::uint32_t size = e.U32();
        std::optional<std::size_t> at = toOffset(rva, size);
        if (!e.Ok() || !at) return void(problem = "resource data outside the sections");
        ResourceEntry entry{type, name, language,
                            Bytes(bytes.begin() + *at, bytes.begin() + *at + size)};
        image.resources_.push_back(std::move(entry));
      });
    });
  });
  if (!problem.empty()) return Fail(error, problem), std::nullopt;
  return image;
}

const ResourceEntry* Image::Find(std::uint16_t type, std::uint16_t name) const {
  for (const ResourceEntry& entry : resources_) {
    if (entry.type == type && entry.name == name) return &entry;
  }
  return nullptr;
}

std::optional<std::vector<std::string>> ParseStringBlock(const Bytes& data, std::string* error) {
  Cursor c(data);
  std::vector<std::string> strings;
  for (int i = 0; i < 16; ++i) {
    std::uint16_t length = c.U16();
    strings.push_back(c.Utf16(length));
  }
  if (!c.Ok()) return Fail(error, "malformed string block"), std::nullopt;
  if (c.Offset() != data.size()) return Fail(error, "bytes after the 16 strings"), std::nullopt;
  return strings;
}

namespace {

NameOrOrdinal ReadNameOrOrdinal(Cursor& c) {
  NameOrOrdinal field;
  std::uint16_t first = c.U16();
  if (first == 0xFFFF) {
    field.isOrdinal = true;
    field.ordinal = c.U16();
  } else if (first != 0) {
    field.name.push_back(static_cast<char>(first));
    field.name += c.Utf16z();
  }
  return field;
}

}  // namespace

std::optional<DialogTemplate> ParseDialogEx(const Bytes& data, std::string* error) {
  Cursor c(data);
  DialogTemplate d;
  d.version = c.U16();
  d.signature = c.U16();
  if (d.version != 1 || d.signature != 0xFFFF)
    return Fail(error, "not an extended dialog template"), std::nullopt;
  d.helpId = c.U32();
  d.exStyle = c.U32();
  d.style = c.U32();
  std::uint16_t count = c.U16();
  d.x = c.I16(), d.y = c.I16(), d.cx = c.I16(), d.cy = c.I16();
  d.menu = ReadNameOrOrdinal(c);
  d.windowClass = ReadNameOrOrdinal(c);
  d.title = c.Utf16z();
  constexpr std::uint32_t kDsSetFont = 0x40;
  if (d.style & kDsSetFont) {
    d.pointSize = c.U16();
    d.weight = c.U16();
    d.italic = c.U8();
    d.charset = c.U8();
    d.typeface = c.Utf16z();
  }
  for (int i = 0; i < count && c.Ok(); ++i) {
    c.AlignTo(0, 4);
    DialogItem item;
    item.helpId = c.U32();
    item.exStyle = c.U32();
    item.style = c.U32();
    item.x = c.I16(), item.y = c.I16(), item.cx = c.I16(), item.cy = c.I16();
    item.id = c.U32();
    item.windowClass = ReadNameOrOrdinal(c);
    item.title = ReadNameOrOrdinal(c);
    item.extraCount = c.U16();
    c.Seek(c.Offset() + item.extraCount);
    d.items.push_back(item);
  }
  if (!c.Ok()) return Fail(error, "truncated dialog template"), std::nullopt;
  return d;
}

std::optional<std::vector<IconGroupEntry>> ParseIconGroup(const Bytes& data, std::string* error) {
  Cursor c(data);
  std::uint16_t reserved = c.U16();
  std::uint16_t type = c.U16();
  std::uint16_t count = c.U16();
  if (reserved != 0 || type != 1) return Fail(error, "not an icon group"), std::nullopt;
  std::vector<IconGroupEntry> entries(count);
  for (IconGroupEntry& e : entries) {
    e.width = c.U8(), e.height = c.U8(), e.colourCount = c.U8();
    c.U8();
    e.planes = c.U16(), e.bitCount = c.U16();
    e.bytes = c.U32();
    e.iconId = c.U16();
  }
  if (!c.Ok() || c.Offset() != data.size())
    return Fail(error, "malformed icon group"), std::nullopt;
  return entries;
}

std::optional<IconImageHeader> ParseIconImage(const Bytes& data, std::string* error) {
  Cursor c(data);
  if (c.U32() != 40) return Fail(error, "icon image without BITMAPINFOHEADER"), std::nullopt;
  IconImageHeader h;
  h.width = c.I32(), h.height = c.I32();
  h.planes = c.U16(), h.bitCount = c.U16();
  if (!c.Ok()) return Fail(error, "truncated icon image"), std::nullopt;
  return h;
}

namespace {

// One node of the version tree: wLength, wValueLength, wType, szKey, padding,
// value, padding, children.
struct VersionNode {
  std::string key;
  std::size_t valueStart = 0;
  std::uint16_t valueLength = 0;  // bytes for binary values, characters for text
  std::uint16_t type = 0;
  std::size_t childrenStart = 0;
  std::size_t end = 0;
};

std::optional<VersionNode> ReadNode(const Bytes& data, std::size_t at, std::size_t limit) {
  Cursor c(data, at, limit);
  VersionNode node;
  std::uint16_t length = c.U16();
  node.valueLength = c.U16();
  node.type = c.U16();
  node.key = c.Utf16z();
  c.AlignTo(0, 4);
  node.valueStart = c.Offset();
  std::size_t valueBytes = node.type == 1 ? node.valueLength * 2u : node.valueLength;
  c.Seek(node.valueStart + valueBytes);
  c.AlignTo(0, 4);
  node.childrenStart = c.Offset();
  node.end = at + length;
  if (!c.Ok() || length < 6 || node.end > limit) return std::nullopt;
  if (node.childrenStart > node.end) node.childrenStart = node.end;
  return node;
}

std::vector<VersionNode> Children(const Bytes& data, const VersionNode& parent, bool* ok) {
  std::vector<VersionNode> children;
  std::size_t at = parent.childrenStart;
  while (at + 6 <= parent.end) {
    std::optional<VersionNode> child = ReadNode(data, at, parent.end);
    if (!child) {
      *ok = false;
      break;
    }
    children.push_back(*child);
    at = child->end + (4 - child->end % 4) % 4;
  }
  return children;
}

}  // namespace

std::optional<VersionInfo> ParseVersion(const Bytes& data, std::string* error) {
  std::optional<VersionNode> root = ReadNode(data, 0, data.size());
  if (!root || root->key != "VS_VERSION_INFO" || root->valueLength != 52)
    return Fail(error, "no VS_VERSION_INFO"), std::nullopt;
  VersionInfo info;
  Cursor fixed(data, root->valueStart, root->valueStart + 52);
  info.signature = fixed.U32();
  fixed.U32();  // structure version
  info.fileVersionMs = fixed.U32(), info.fileVersionLs = fixed.U32();
  info.productVersionMs = fixed.U32(), info.productVersionLs = fixed.U32();
  fixed.U32(), fixed.U32();  // flags mask, flags
  info.fileOs = fixed.U32(), info.fileType = fixed.U32();
  bool ok = fixed.Ok();
  for (const VersionNode& block : Children(data, *root, &ok)) {
    if (block.key == "StringFileInfo") {
      for (const VersionNode& table : Children(data, block, &ok)) {
        info.stringTable = table.key;
        for (const VersionNode& value : Children(data, table, &ok)) {
          Cursor text(data, value.valueStart, value.end);
          std::string s = text.Utf16(value.valueLength);
          // The stored length counts the terminating zero.
          if (!s.empty() && s.back() == '\0') s.pop_back();
          ok = ok && text.Ok();
          info.strings.emplace_back(value.key, s);
        }
      }
    } else if (block.key == "VarFileInfo") {
      for (const VersionNode& var : Children(data, block, &ok)) {
        Cursor words(data, var.valueStart, var.valueStart + var.valueLength);
        for (int i = 0; i < var.valueLength / 4; ++i) info.translations.push_back(words.U32());
        ok = ok && words.Ok();
      }
    }
  }
  if (!ok) return Fail(error, "malformed version information"), std::nullopt;
  return info;
}

}  // namespace pe
