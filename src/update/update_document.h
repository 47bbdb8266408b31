#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

// The update information document the update service answers with: an XML document whose
// values are found by element name anywhere in it.
class UpdateDocument {
  public:
    // Nothing when the text is not a well-formed XML document.
    static std::optional<UpdateDocument> parse(std::string_view xml);

    // The value of the first element of that name: its first child, which must be text.
    // Nothing when there is no such element, or it is empty or starts with another element.
    std::optional<std::string> firstText(std::string_view element) const;

  private:
    std::map<std::string, std::optional<std::string>, std::less<>> first_;
};

// What the worker reads from the document. The reads go in this order and the first that fails
// leaves itself and the later ones at their starting values.
//
// "sha256", when present, is the installer's SHA-256 in hexadecimal digits: the download is
// offered only when its bytes have that digest. A name the cleanup would not remove
// ("update_*.exe"), or a "sha256" that is no SHA-256, counts as no installer at all.
struct UpdateOffer {
    long long serviceTime = 3600;  // "laikas": the worker goes on to the FTP server from 3600 up
    std::string fileName;          // the installer, on the server and beside the executable
    std::string newVersion;
    std::string sha256;  // lowercase; empty when the document names none
};
UpdateOffer readUpdateOffer(const UpdateDocument& document);

constexpr long long kLeastServiceTime = 3600;
