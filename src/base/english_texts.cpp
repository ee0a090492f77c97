#include "base/texts.h"
#include "resources/resource_ids.h"

namespace tarnwick {

std::string EnglishTexts::Text(int id) const {
    switch (id) {
#define TW_TEXT(textId, text) \
    case textId:              \
        return std::string(text).substr(0, 99);
#include "resources/strings_en.inc"
#undef TW_TEXT
    }
    return std::string();
}

}  // namespace tarnwick
