#include "deploy/DeployMachine.h"

#include <algorithm>

namespace deploy_test {
namespace {

class Reader {
 public:
  explicit Reader(const std::string& bytes) : bytes_(bytes) {}
  bool Has(std::size_t offset, std::size_t count) const {
    return offset <= bytes_.size() && count <= bytes_.size() - offset;
  }
  std::uint32_t U16(std::size_t offset) const {
    return static_cast<unsigned char>(bytes_[offset]) |
           static_cast<unsigned char>(bytes_[offset + 1]) << 8;
  }
  std::uint32_t U32(std::size_t offset) const { return U16(offset) | U16(offset + 2) << 16; }
  // A zero-terminated string inside [offset, end).
  std::optional<std::string> Ansi(std::size_t offset, std::size_t end) const {
    std::size_t zero = bytes_.find('\0', offset);
    if (zero == std::string::npos || zero >= end) return std::nullopt;
    return bytes_.substr(offset, zero - offset);
  }
  const std::string& Bytes() const { return bytes_; }

 private:
  const std::string& bytes_;
};

}  // namespace

LinkFile ParseLink(const std::string& bytes) {
  LinkFile link;
  Reader in(bytes);
  static const unsigned char kClsid[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0,
                                           0xC0, 0,    0,    0, 0, 0, 0, 0x46};
  if (!in.Has(0, 0x4C) || in.U32(0) != 0x4C ||
      bytes.compare(4, 16, std::string(kClsid, kClsid + 16)) != 0)
    return link;
  link.flags = in.U32(0x14);
  std::size_t at = 0x4C;
  if (link.flags & 0x1) {  // HasLinkTargetIDList
    if (!in.Has(at, 2)) return link;
    at += 2 + in.U16(at);
  }
  if (link.flags & 0x2) {  // HasLinkInfo
    if (!in.Has(at, 0x1C)) return link;
    std::size_t size = in.U32(at);
    if (!in.Has(at, size) || (in.U32(at + 8) & 1) == 0) return link;
    std::optional<std::string> base = in.Ansi(at + in.U32(at + 16), at + size);
    std::optional<std::string> suffix = in.Ansi(at + in.U32(at + 24), at + size);
    if (!base || !suffix) return link;
    link.localPath = *base + *suffix;
    at += size;
  }
  if (link.flags & 0x4) {  // HasName
    if (!in.Has(at, 2)) return link;
    std::size_t count = in.U16(at);
    bool unicode = (link.flags & 0x80) != 0;
    std::size_t unit = unicode ? 2 : 1;
    if (!in.Has(at + 2, count * unit)) return link;
    for (std::size_t i = 0; i < count; ++i)
      link.description.push_back(
          static_cast<char>(unicode ? in.U16(at + 2 + 2 * i) : bytes[at + 2 + i]));
    at += 2 + count * unit;
  }
  link.valid = in.Has(at, 4);
  return link;
}

std::vector<std::string> DeployTest::OemInfs() const {
  std::vector<std::string> names;
  for (const std::string& path : machine_->ListTree(windows_ + "\\inf")) {
    std::string name = path.substr(path.find_last_of('\\') + 1);
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    if (lower.rfind("oem", 0) == 0 && lower.ends_with(".inf")) names.push_back(name);
  }
  return names;
}

std::vector<std::string> DeployTest::AllLinks() const {
  std::vector<std::string> links;
  for (const char* drive : {"C:\\", "E:\\"})
    for (const std::string& path : machine_->ListTree(drive)) {
      std::string upper = path;
      std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
      if (upper.ends_with(".LNK")) links.push_back(path);
    }
  return links;
}

}  // namespace deploy_test
