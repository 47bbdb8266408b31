#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Hand-made .xls files for tests of the .xls reader: BIFF records, a workbook stream of
// globals and sheets, and a compound file around streams, laid out plainly so that a test can
// break any part of it on purpose.
namespace xls {

std::string u16(std::uint32_t value);
std::string u32(std::uint32_t value);
std::string f64(double value);

// One record: type, length, data.
std::string record(std::uint16_t type, const std::string& data);

// A BIFF8 string with a 16-bit character count: one byte a character (Latin-1), or UTF-16.
std::string narrowString(std::string_view latin1);
std::string wideString(std::u16string_view text);

// A workbook stream: a BOF, the given globals records, one BOUNDSHEET per sheet, an EOF, then
// each sheet from its BOF through its records to its EOF. Sheet names are bytes (Latin-1 in
// BIFF8, the code page's in BIFF5/7).
class WorkbookStream {
  public:
    explicit WorkbookStream(bool biff8 = true) : biff8_(biff8) {}

    WorkbookStream& global(const std::string& record);
    WorkbookStream& sheet(const std::string& name, const std::vector<std::string>& records);
    std::string bytes() const;

  private:
    bool biff8_;
    std::string globals_;
    std::vector<std::pair<std::string, std::string>> sheets_;
};

// A compound file (version 3, 512-byte sectors) holding the streams in its root storage: the FAT
// in the first sectors (with DIFAT sectors after them when it has more than 109), then the
// directory, the mini FAT and the mini stream, then each stream in
// consecutive sectors. Streams below the cutoff (4096 bytes) go into the mini stream when
// `miniStream` is set, else they are padded with zeros to the cutoff.
struct CompoundBytes {
    std::string bytes;
    std::vector<std::uint32_t> firstSectors;  // of each stream

    // Where the FAT entry of a sector and the directory entry of a stream lie in `bytes`.
    std::size_t fatEntry(std::uint32_t sector) const { return 512 + 4 * std::size_t{sector}; }
    std::size_t directoryEntry(std::size_t stream) const;
    std::size_t miniFatEntry(std::uint32_t miniSector) const {
        return 512 * (std::size_t{miniFatSector} + 1) + 4 * std::size_t{miniSector};
    }
    std::uint32_t directorySector = 0;
    std::uint32_t miniFatSector = 0;
    std::uint32_t difatSector = 0xFFFFFFFE;  // the first, when the FAT outgrows the header's list
};
CompoundBytes compoundFile(const std::vector<std::pair<std::string, std::string>>& streams,
                           bool miniStream = false);

// Overwrites 4 bytes of `bytes` at `offset` with a little-endian value.
void patch32(std::string& bytes, std::size_t offset, std::uint32_t value);

}  // namespace xls
