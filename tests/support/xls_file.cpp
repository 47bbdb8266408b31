#include "support/xls_file.h"

#include <algorithm>
#include <bit>

namespace xls {

std::string u16(std::uint32_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
}

std::string u32(std::uint32_t value) {
    return u16(value & 0xFFFF) + u16(value >> 16);
}

std::string f64(double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    return u32(static_cast<std::uint32_t>(bits)) + u32(static_cast<std::uint32_t>(bits >> 32));
}

std::string record(std::uint16_t type, const std::string& data) {
    return u16(type) + u16(static_cast<std::uint32_t>(data.size())) + data;
}

std::string narrowString(std::string_view latin1) {
    return u16(static_cast<std::uint32_t>(latin1.size())) + '\0' + std::string(latin1);
}

std::string wideString(std::u16string_view text) {
    std::string out = u16(static_cast<std::uint32_t>(text.size())) + '\1';
    for (const char16_t unit : text) {
        out += u16(unit);
    }
    return out;
}

namespace {

std::string bof(bool biff8, std::uint16_t kind) {
    return record(0x0809, biff8 ? u16(0x0600) + u16(kind) + std::string(12, '\0')
                                : u16(0x0500) + u16(kind) + std::string(4, '\0'));
}

}  // namespace

WorkbookStream& WorkbookStream::global(const std::string& record) {
    globals_ += record;
    return *this;
}

WorkbookStream& WorkbookStream::sheet(const std::string& name,
                                      const std::vector<std::string>& records) {
    std::string body;
    for (const auto& each : records) {
        body += each;
    }
    sheets_.emplace_back(name, body);
    return *this;
}

std::string WorkbookStream::bytes() const {
    const auto boundSheet = [this](std::uint32_t offset, const std::string& name) {
        return record(0x0085, u32(offset) + std::string(2, '\0') + static_cast<char>(name.size()) +
                                  std::string(biff8_ ? 1 : 0, '\0') + name);
    };
    std::size_t offset = bof(biff8_, 5).size() + globals_.size() + record(0x000A, "").size();
    for (const auto& [name, body] : sheets_) {
        offset += boundSheet(0, name).size();
    }
    std::string globals = bof(biff8_, 5) + globals_;
    std::string sheets;
    for (const auto& [name, body] : sheets_) {
        globals += boundSheet(static_cast<std::uint32_t>(offset + sheets.size()), name);
        sheets += bof(biff8_, 0x10) + body + record(0x000A, "");
    }
    return globals + record(0x000A, "") + sheets;
}

std::size_t CompoundBytes::directoryEntry(std::size_t stream) const {
    return 512 * (std::size_t{directorySector} + 1) + 128 * (stream + 1);
}

CompoundBytes compoundFile(const std::vector<std::pair<std::string, std::string>>& streams,
                           bool miniStream) {
    constexpr std::uint32_t kSector = 512;
    constexpr std::uint32_t kMini = 64;
    constexpr std::uint32_t kEnd = 0xFFFFFFFE;
    const auto sectorsOf = [](std::size_t bytes, std::uint32_t size) {
        return static_cast<std::uint32_t>((bytes + size - 1) / size);
    };
    // Small streams into the mini stream, chained in the mini FAT; the rest padded to the cutoff.
    std::string mini;
    std::vector<std::uint32_t> miniFat;
    std::vector<std::string> big;
    std::vector<std::uint32_t> sizes;
    std::vector<bool> inMini;
    for (const auto& [name, content] : streams) {
        inMini.push_back(miniStream && content.size() < 4096);
        if (inMini.back()) {
            const std::uint32_t first = sectorsOf(mini.size(), kMini);
            const std::uint32_t count = sectorsOf(content.size(), kMini);
            for (std::uint32_t i = 0; i < count; ++i) {
                miniFat.push_back(i + 1 < count ? first + i + 1 : kEnd);
            }
            mini += content;
            mini.resize(std::size_t{sectorsOf(mini.size(), kMini)} * kMini, '\0');
            sizes.push_back(static_cast<std::uint32_t>(content.size()));
            continue;
        }
        std::string padded = content;
        padded.resize(std::max<std::size_t>(padded.size(), 4096), '\0');
        sizes.push_back(static_cast<std::uint32_t>(padded.size()));
        padded.resize(std::size_t{sectorsOf(padded.size(), kSector)} * kSector, '\0');
        big.push_back(std::move(padded));
    }
    std::string miniFatBytes;
    for (const std::uint32_t entry : miniFat) {
        miniFatBytes += u32(entry);
    }
    // Regular sectors: the FAT, the directory, the mini FAT, the mini stream, the big streams.
    std::vector<std::string> blobs = {std::string((streams.size() + 4) / 4 * kSector, '\0'),
                                      miniFatBytes, mini};
    for (auto& content : big) {
        blobs.push_back(std::move(content));
    }
    std::uint32_t dataSectors = 0;
    for (auto& blob : blobs) {
        blob.resize(std::size_t{sectorsOf(blob.size(), kSector)} * kSector, '\0');
        dataSectors += sectorsOf(blob.size(), kSector);
    }
    // The FAT's sectors beyond the header's 109 are listed in DIFAT sectors after the FAT.
    const auto difatSectorsFor = [](std::uint32_t fatCount) {
        return fatCount <= 109 ? 0u : (fatCount - 109 + 126) / 127;
    };
    std::uint32_t fatSectors = 1;
    while (fatSectors * (kSector / 4) < fatSectors + difatSectorsFor(fatSectors) + dataSectors) {
        ++fatSectors;
    }
    const std::uint32_t difatSectors = difatSectorsFor(fatSectors);
    std::vector<std::uint32_t> fat(fatSectors * (kSector / 4), 0xFFFFFFFF);
    std::fill(fat.begin(), fat.begin() + fatSectors, 0xFFFFFFFD);
    std::fill(fat.begin() + fatSectors, fat.begin() + fatSectors + difatSectors, 0xFFFFFFFC);
    std::string difat;
    for (std::uint32_t i = 0; i < difatSectors; ++i) {
        for (std::uint32_t j = 0; j < 127; ++j) {
            const std::uint32_t listed = 109 + i * 127 + j;
            difat += u32(listed < fatSectors ? listed : 0xFFFFFFFF);
        }
        difat += u32(i + 1 < difatSectors ? fatSectors + i + 1 : kEnd);
    }
    std::vector<std::uint32_t> firsts;
    std::uint32_t next = fatSectors + difatSectors;
    for (const auto& blob : blobs) {
        const std::uint32_t count = sectorsOf(blob.size(), kSector);
        firsts.push_back(count == 0 ? kEnd : next);
        for (std::uint32_t i = 0; i < count; ++i, ++next) {
            fat[next] = i + 1 < count ? next + 1 : kEnd;
        }
    }

    CompoundBytes result;
    result.directorySector = firsts[0];
    result.miniFatSector = firsts[1];
    result.difatSector = difatSectors > 0 ? fatSectors : kEnd;
    std::string header = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + std::string(16, '\0') + u16(0x3E) +
                         u16(3) + u16(0xFFFE) + u16(9) + u16(6) + std::string(10, '\0') +
                         u32(fatSectors) + u32(firsts[0]) + u32(0) + u32(4096) + u32(firsts[1]) +
                         u32(sectorsOf(miniFatBytes.size(), kSector)) +
                         u32(difatSectors > 0 ? fatSectors : kEnd) + u32(difatSectors);
    for (std::uint32_t i = 0; i < 109; ++i) {
        header += u32(i < fatSectors ? i : 0xFFFFFFFF);
    }
    std::string fatBytes;
    for (const std::uint32_t entry : fat) {
        fatBytes += u32(entry);
    }
    const auto entry = [](std::u16string_view name, std::uint8_t type, std::uint32_t right,
                          std::uint32_t child, std::uint32_t start, std::uint32_t size) {
        std::string out;
        for (const char16_t c : name) {
            out += u16(c);
        }
        out.resize(64, '\0');
        out += u16(static_cast<std::uint32_t>(name.empty() ? 0 : 2 * name.size() + 2));
        out += static_cast<char>(type);
        out += '\1';
        out += u32(0xFFFFFFFF) + u32(right) + u32(child) + std::string(36, '\0');
        return out + u32(start) + u32(size) + u32(0);
    };
    std::string& directory = blobs[0];
    directory =
        entry(u"Root Entry", 5, 0xFFFFFFFF, 1, firsts[2], static_cast<std::uint32_t>(mini.size()));
    std::size_t bigIndex = 3;
    std::uint32_t miniSector = 0;
    for (std::size_t i = 0; i < streams.size(); ++i) {
        const std::string& name = streams[i].first;
        std::uint32_t start = 0;
        if (inMini[i]) {
            start = sizes[i] == 0 ? kEnd : miniSector;
            miniSector += sectorsOf(sizes[i], kMini);
        } else {
            start = firsts[bigIndex++];
        }
        result.firstSectors.push_back(start);
        const auto right = static_cast<std::uint32_t>(i + 1 < streams.size() ? i + 2 : 0xFFFFFFFF);
        directory +=
            entry(std::u16string(name.begin(), name.end()), 2, right, 0xFFFFFFFF, start, sizes[i]);
    }
    directory.resize(std::size_t{sectorsOf(directory.size(), kSector)} * kSector, '\0');
    result.bytes = header + fatBytes + difat;
    for (const auto& blob : blobs) {
        result.bytes += blob;
    }
    return result;
}

void patch32(std::string& bytes, std::size_t offset, std::uint32_t value) {
    bytes.replace(offset, 4, u32(value));
}

}  // namespace xls
