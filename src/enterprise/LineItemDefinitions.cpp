#include "enterprise/LineItemDefinitions.h"

#include "core/Strings.h"

namespace zorva {

LineItemDefinition Definition(Field field, int language) {
    if (!IsValueField(field)) return {};
    const int title = 1100 + 4 * (static_cast<int>(field) - kFirstValueField);
    const int lang = language == 1 ? 1 : 0;
    // The table keeps line breaks as "\n"; the lookup has already made them real.
    return {Txt(title, lang), Txt(title + 2, lang)};
}

} // namespace zorva
