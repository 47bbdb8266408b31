#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A compound file (the OLE2 container of .xls workbooks) read from its bytes: the sector
// tables and the directory at construction, a stream's bytes on request. Every sector number,
// chain and size the file states is checked against the file itself; any fault throws
// WorkbookError, and nothing is sized from a number the file merely claims.
class CompoundFile {
  public:
    // The bytes must outlive the object.
    explicit CompoundFile(std::string_view bytes);

    // Whether the root storage holds a stream of this name (ASCII letters compared without
    // regard to case, as the format compares names).
    bool hasStream(std::string_view name) const;

    // The whole stream of that name; throws WorkbookError when there is none.
    std::string stream(std::string_view name) const;

  private:
    struct Entry {
        std::string name;  // as UTF-16LE code units reduced to bytes; only ASCII names match
        std::uint8_t type = 0;
        std::uint32_t left = 0;
        std::uint32_t right = 0;
        std::uint32_t child = 0;
        std::uint32_t start = 0;
        std::uint64_t size = 0;
    };

    std::vector<std::uint32_t> chain(const std::vector<std::uint32_t>& table, std::uint32_t start,
                                     std::uint64_t maxLength) const;
    std::string readChain(std::uint32_t start, std::uint64_t size) const;
    std::string_view sector(std::uint32_t index) const;
    const Entry* find(std::string_view name) const;

    std::string_view bytes_;
    std::uint32_t sectorSize_ = 512;
    std::uint32_t miniSectorSize_ = 64;
    std::uint32_t miniCutoff_ = 4096;
    std::uint32_t sectorCount_ = 0;  // whole or partial sectors after the header
    std::vector<std::uint32_t> fat_;
    std::vector<std::uint32_t> miniFat_;
    std::vector<Entry> entries_;
    std::vector<std::uint32_t> rootStreams_;  // the streams in the root storage's tree
};
