#include "update/file_digest.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace {

struct DigestContextDeleter {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

constexpr char kHex[] = "0123456789abcdef";

}  // namespace

std::optional<std::string> sha256OfFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::unique_ptr<EVP_MD_CTX, DigestContextDeleter> context(EVP_MD_CTX_new());
    bool good = context != nullptr && EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) == 1;
    unsigned char buffer[65536];
    while (good) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            good = n == 0;
            break;
        }
        good = EVP_DigestUpdate(context.get(), buffer, static_cast<size_t>(n)) == 1;
    }
    ::close(fd);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!good || EVP_DigestFinal_ex(context.get(), digest, &length) != 1) {
        return std::nullopt;
    }
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 0x0f];
    }
    return text;
}

std::optional<std::string> sha256Text(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    if (text.size() != 64) {
        return std::nullopt;
    }
    std::string lower;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            lower += c;
        } else if ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')) {
            lower += static_cast<char>(c | 0x20);
        } else {
            return std::nullopt;
        }
    }
    return lower;
}
