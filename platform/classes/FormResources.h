#pragma once
// Stored form descriptions built into the program.
//
// The build embeds every "*.gwf" file of a folder (component text form, children nested)
// into an executable with gw_embed_forms(<executable> <folder>) (EmbedForms.cmake); each is
// found by its file name without the extension. A form loads its description with
// LoadFormDescription, which creates the form's components by class name, sets their
// properties and binds their events to the handlers the form registered.

#include <cstddef>
#include <optional>
#include <string_view>

#include "platform/classes/Component.h"
#include "platform/classes/Errors.h"

namespace classes {

// A built-in description that does not exist.
class EResNotFound : public rtl::Exception {
    using Exception::Exception;
};

struct TEmbeddedForm {
    const char* name;
    const char* text;
    std::size_t size;
};

// Called by the generated sources; later registrations of a name replace earlier ones.
bool RegisterEmbeddedForms(const TEmbeddedForm* forms, std::size_t count);

// The text of the description of that name (letter case ignored); nullopt when none.
std::optional<std::string_view> FindFormDescription(std::string_view name);

// Reads the description `name` into `form`. Unknown properties are errors here: the text
// ships with the program. EResNotFound "Resource <name> not found", or EReadError.
void LoadFormDescription(TComponent& form, std::string_view name);

}  // namespace classes
