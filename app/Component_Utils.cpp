#include "app/Component_Utils.h"

#include "platform/classes/Streaming.h"

namespace app {

std::string ComponentToText(classes::TComponent& component)
{
    return classes::WriteComponentText(component, /*withChildren=*/false);
}

std::string ComponentToText(classes::TComponent& component, const std::vector<std::string>& alwaysStored)
{
    classes::TWriteOptions options;
    options.withChildren = false;
    options.alwaysStored = alwaysStored;
    return classes::WriteComponentText(component, options);
}

void TextToComponent(std::string_view text, classes::TComponent& component)
{
    classes::ReadComponentText(component, text);
}

}  // namespace app
