#include "workbook/compound_file.h"

#include <algorithm>

#include "workbook/workbook_connection.h"

// The layout follows the published compound file format: a 512-byte header, then sectors of
// 512 or 4096 bytes, chained through the sector allocation table (FAT), whose own sectors the
// header and the DIFAT sectors list; streams below the cutoff size live in 64-byte mini
// sectors inside the root entry's stream, chained through the mini FAT.

namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;
constexpr std::size_t kHeaderDifatEntries = 109;
constexpr std::size_t kEntrySize = 128;
enum EntryType : std::uint8_t { kStorage = 1, kStream = 2, kRoot = 5 };

[[noreturn]] void fail(const std::string& what) {
    throw WorkbookError("the compound file " + what);
}

std::uint16_t u16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      static_cast<unsigned char>(bytes[at + 1]) << 8);
}

std::uint32_t u32(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint32_t>(u16(bytes, at)) |
           static_cast<std::uint32_t>(u16(bytes, at + 2)) << 16;
}

void appendTableSector(std::vector<std::uint32_t>& table, std::string_view sector) {
    for (std::size_t at = 0; at + 4 <= sector.size(); at += 4) {
        table.push_back(u32(sector, at));
    }
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return asciiLower(x) == asciiLower(y);
           });
}

}  // namespace

CompoundFile::CompoundFile(std::string_view bytes) : bytes_(bytes) {
    if (bytes_.size() < 512) {
        fail("is shorter than its header");
    }
    const std::uint16_t majorVersion = u16(bytes_, 26);
    const std::uint16_t sectorShift = u16(bytes_, 30);
    if (u16(bytes_, 28) != 0xFFFE || !(sectorShift == 9 || sectorShift == 12) ||
        u16(bytes_, 32) != 6 || u32(bytes_, 56) != 4096) {
        fail("has a header of an unknown form");
    }
    sectorSize_ = std::uint32_t{1} << sectorShift;
    if (bytes_.size() <= sectorSize_) {
        fail("holds no sectors");
    }
    sectorCount_ =
        static_cast<std::uint32_t>((bytes_.size() - sectorSize_ + sectorSize_ - 1) / sectorSize_);

    // The FAT's own sectors: 109 in the header, the rest in a chain of DIFAT sectors.
    const std::uint32_t fatSectors = u32(bytes_, 44);
    if (fatSectors > sectorCount_) {
        fail("claims more FAT sectors than it holds");
    }
    std::vector<std::uint32_t> fatList;
    for (std::size_t i = 0; i < kHeaderDifatEntries && fatList.size() < fatSectors; ++i) {
        fatList.push_back(u32(bytes_, 76 + 4 * i));
    }
    std::vector<bool> seenDifat(sectorCount_);
    for (std::uint32_t next = u32(bytes_, 68); fatList.size() < fatSectors;) {
        if (next >= sectorCount_ || seenDifat[next]) {
            fail("has a broken DIFAT chain");
        }
        seenDifat[next] = true;
        const std::string_view difat = sector(next);
        if (difat.size() < sectorSize_) {
            fail("ends inside a DIFAT sector");
        }
        for (std::size_t at = 0; at + 4 < difat.size() && fatList.size() < fatSectors; at += 4) {
            fatList.push_back(u32(difat, at));
        }
        next = u32(difat, difat.size() - 4);
    }
    fat_.reserve(std::size_t{fatSectors} * (sectorSize_ / 4));
    for (const std::uint32_t index : fatList) {
        const std::string_view table = sector(index);
        if (table.size() < sectorSize_) {
            fail("ends inside a FAT sector");
        }
        appendTableSector(fat_, table);
    }

    const std::uint32_t miniFatStart = u32(bytes_, 60);
    if (miniFatStart != kEndOfChain) {
        for (const std::uint32_t index : chain(fat_, miniFatStart, fat_.size())) {
            appendTableSector(miniFat_, sector(index));
        }
    }

    for (const std::uint32_t index : chain(fat_, u32(bytes_, 48), fat_.size())) {
        const std::string_view directory = sector(index);
        for (std::size_t at = 0; at + kEntrySize <= directory.size(); at += kEntrySize) {
            const std::string_view raw = directory.substr(at, kEntrySize);
            Entry entry;
            const std::size_t nameBytes = std::min<std::size_t>(u16(raw, 64), 64);
            for (std::size_t i = 0; i + 1 < nameBytes; i += 2) {
                const std::uint16_t unit = u16(raw, i);
                if (unit == 0) {
                    break;
                }
                // Only ASCII names are ever looked for; anything else never matches them.
                entry.name += unit < 0x80 ? static_cast<char>(unit) : '\x80';
            }
            entry.type = static_cast<std::uint8_t>(raw[66]);
            entry.left = u32(raw, 68);
            entry.right = u32(raw, 72);
            entry.child = u32(raw, 76);
            entry.start = u32(raw, 116);
            entry.size = u32(raw, 120);
            if (majorVersion >= 4) {  // version 3 files may leave garbage in the high half
                entry.size |= std::uint64_t{u32(raw, 124)} << 32;
            }
            entries_.push_back(std::move(entry));
        }
    }
    if (entries_.empty() || entries_[0].type != kRoot) {
        fail("has no root entry");
    }

    // The streams of the root storage: its child and that child's siblings, a tree.
    std::vector<bool> seenEntry(entries_.size());
    std::vector<std::uint32_t> pending;
    if (entries_[0].child != kNoEntry) {
        pending.push_back(entries_[0].child);
    }
    while (!pending.empty()) {
        const std::uint32_t id = pending.back();
        pending.pop_back();
        if (id >= entries_.size() || seenEntry[id] || id == 0) {
            fail("has a broken directory tree");
        }
        seenEntry[id] = true;
        const Entry& entry = entries_[id];
        if (entry.type == kStream) {
            rootStreams_.push_back(id);
        } else if (entry.type != kStorage) {
            fail("has a broken directory tree");
        }
        for (const std::uint32_t sibling : {entry.left, entry.right}) {
            if (sibling != kNoEntry) {
                pending.push_back(sibling);
            }
        }
    }
}

std::string_view CompoundFile::sector(std::uint32_t index) const {
    if (index >= sectorCount_) {
        fail("names a sector beyond its end");
    }
    const std::size_t offset = (std::size_t{index} + 1) * sectorSize_;
    return bytes_.substr(offset, sectorSize_);
}

std::vector<std::uint32_t> CompoundFile::chain(const std::vector<std::uint32_t>& table,
                                               std::uint32_t start, std::uint64_t maxLength) const {
    std::vector<std::uint32_t> sectors;
    std::vector<bool> seen(table.size());
    for (std::uint32_t at = start; at != kEndOfChain && sectors.size() < maxLength;
         at = table[at]) {
        if (at >= table.size()) {
            fail("has a sector chain that leaves its table");
        }
        if (seen[at]) {
            fail("has a sector chain that loops");
        }
        seen[at] = true;
        sectors.push_back(at);
    }
    return sectors;
}

std::string CompoundFile::readChain(std::uint32_t start, std::uint64_t size) const {
    const std::uint64_t needed = (size + sectorSize_ - 1) / sectorSize_;
    if (needed > sectorCount_) {
        fail("has a stream larger than the file");
    }
    const auto sectors = chain(fat_, start, needed);
    if (sectors.size() < needed) {
        fail("has a stream whose sector chain ends early");
    }
    std::string data;
    data.reserve(static_cast<std::size_t>(size));
    for (const std::uint32_t index : sectors) {
        const std::string_view part = sector(index);
        const std::size_t take =
            static_cast<std::size_t>(std::min<std::uint64_t>(sectorSize_, size - data.size()));
        if (part.size() < take) {
            fail("ends inside a stream");
        }
        data.append(part.substr(0, take));
    }
    return data;
}

const CompoundFile::Entry* CompoundFile::find(std::string_view name) const {
    for (const std::uint32_t id : rootStreams_) {
        if (sameName(entries_[id].name, name)) {
            return &entries_[id];
        }
    }
    return nullptr;
}

bool CompoundFile::hasStream(std::string_view name) const {
    return find(name) != nullptr;
}

std::string CompoundFile::stream(std::string_view name) const {
    const Entry* entry = find(name);
    if (entry == nullptr) {
        fail("holds no stream \"" + std::string(name) + "\"");
    }
    if (entry->size >= miniCutoff_) {
        return readChain(entry->start, entry->size);
    }
    // A small stream: mini sectors inside the root entry's own stream.
    const std::string miniStream = readChain(entries_[0].start, entries_[0].size);
    const std::uint64_t needed = (entry->size + miniSectorSize_ - 1) / miniSectorSize_;
    const auto sectors = chain(miniFat_, entry->start, needed);
    if (sectors.size() < needed) {
        fail("has a stream whose mini sector chain ends early");
    }
    std::string data;
    data.reserve(static_cast<std::size_t>(entry->size));
    for (const std::uint32_t index : sectors) {
        const std::size_t offset = std::size_t{index} * miniSectorSize_;
        const std::size_t take = static_cast<std::size_t>(
            std::min<std::uint64_t>(miniSectorSize_, entry->size - data.size()));
        if (offset + take > miniStream.size()) {
            fail("names a mini sector beyond the mini stream");
        }
        data.append(miniStream, offset, take);
    }
    return data;
}
