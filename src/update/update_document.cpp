#include "update/update_document.h"

#include <expat.h>

#include <climits>
#include <vector>

#include "update/file_digest.h"
#include "update/update_record.h"

namespace {

using FirstTexts = std::map<std::string, std::optional<std::string>, std::less<>>;

// Notes, for the first element of every name, the text it starts with. Character data that
// expat hands over in pieces (around entities, across buffers) makes one text.
class Collector {
  public:
    explicit Collector(FirstTexts& first) : first_(first) {}

    static void onStart(void* user, const XML_Char* name, const XML_Char** /*attributes*/) {
        auto* self = static_cast<Collector*>(user);
        if (!self->open_.empty()) {
            self->finish(self->open_.back());  // a child element ends the first child's text
        }
        const bool isFirst = self->first_.emplace(name, std::nullopt).second;
        self->open_.push_back({name, isFirst, std::string()});
    }

    static void onEnd(void* user, const XML_Char* /*name*/) {
        auto* self = static_cast<Collector*>(user);
        self->finish(self->open_.back());
        self->open_.pop_back();
    }

    static void onText(void* user, const XML_Char* text, int length) {
        auto* self = static_cast<Collector*>(user);
        if (!self->open_.empty() && self->open_.back().collecting) {
            self->open_.back().text.append(text, static_cast<size_t>(length));
        }
    }

  private:
    struct Open {
        std::string name;
        bool collecting;
        std::string text;
    };

    void finish(Open& element) {
        if (element.collecting && !element.text.empty()) {
            first_[element.name] = element.text;
        }
        element.collecting = false;
    }

    FirstTexts& first_;
    std::vector<Open> open_;
};

}  // namespace

std::optional<UpdateDocument> UpdateDocument::parse(std::string_view xml) {
    UpdateDocument document;
    Collector collector(document.first_);
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (parser == nullptr) {
        return std::nullopt;
    }
    XML_SetUserData(parser, &collector);
    XML_SetElementHandler(parser, Collector::onStart, Collector::onEnd);
    XML_SetCharacterDataHandler(parser, Collector::onText);
    const bool parsed =
        xml.size() <= static_cast<size_t>(INT_MAX) &&
        XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), XML_TRUE) == XML_STATUS_OK;
    XML_ParserFree(parser);
    if (!parsed) {
        return std::nullopt;
    }
    return document;
}

std::optional<std::string> UpdateDocument::firstText(std::string_view element) const {
    const auto found = first_.find(element);
    return found == first_.end() ? std::nullopt : found->second;
}

UpdateOffer readUpdateOffer(const UpdateDocument& document) {
    UpdateOffer offer;
    const auto serviceTime = document.firstText("laikas");
    if (!serviceTime) {
        return offer;
    }
    offer.serviceTime = decimalOr(*serviceTime, kLeastServiceTime);
    const auto fileName = document.firstText("failas");
    // Only a name of the installers' own form: anything else could be one of the program's
    // own files (the settings, the register, the program), which the download would replace,
    // or a file that no cleanup would ever remove.
    if (!fileName || !isPlainFileName(*fileName) || !isInstallerFileName(*fileName)) {
        return offer;
    }
    if (const auto digest = document.firstText("sha256")) {
        const auto sha256 = sha256Text(*digest);
        if (!sha256) {
            return offer;  // a digest that cannot be checked: nothing is offered
        }
        offer.sha256 = *sha256;
    }
    offer.fileName = *fileName;
    if (const auto version = document.firstText("naujaVersija")) {
        offer.newVersion = *version;
    }
    return offer;
}
