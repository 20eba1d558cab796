#pragma once
// Components to and from the component text form (TextForm.h).
//
// Writing: the published properties whose values differ from their defaults (or that are
// marked AlwaysStored), in publish order, sub-objects dotted, then the defined properties,
// then, when asked, the components GetChildren lists, nested.
//
// Reading into an existing component sets only the properties the text names. Nested
// objects are created by class name (owned by the component read, placed on the object
// they are nested in) or, when the component already owns one of that name and class,
// read into it. Events are bound to the handler of that name registered on the component
// read or one of its owners; component references are resolved by name once the whole
// text is read. Malformed text, an unknown class, a value that does not fit, a handler or
// component that cannot be found raise EReadError naming the line; the components created
// by the failed read are freed again and no component is left in the loading state.

#include <string>
#include <string_view>
#include <vector>

#include "platform/classes/Component.h"
#include "platform/classes/TextForm.h"

namespace classes {

struct TReadOptions {
    // A property line naming a property the component does not have: skipped (false), or
    // an EReadError (true: the descriptions built into the program, where it is a slip).
    bool strict = false;
};

struct TWriteOptions {
    bool withChildren = true;
    // Properties of the root written even when they hold their defaults, by their full
    // names ("Value", "Font.Color", "Items"): content that must come back as it was
    // written, not as the form that reads it says.
    std::vector<std::string> alwaysStored;
};

TTextObject WriteComponentTree(TComponent& root, bool withChildren = true);
TTextObject WriteComponentTree(TComponent& root, const TWriteOptions& options);
std::string WriteComponentText(TComponent& root, bool withChildren = true);
std::string WriteComponentText(TComponent& root, const TWriteOptions& options);

void ReadComponentTree(TComponent& root, const TTextObject& tree, const TReadOptions& options = {});
void ReadComponentText(TComponent& root, std::string_view text, const TReadOptions& options = {});

}  // namespace classes
