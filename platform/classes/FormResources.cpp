#include "platform/classes/FormResources.h"

#include <map>
#include <mutex>
#include <string>

#include "platform/classes/Streaming.h"
#include "platform/rtl/SysUtils.h"

namespace classes {

namespace {

struct Forms {
    std::mutex mutex;
    std::map<std::string, std::string_view> byName;  // upper-cased name
};

Forms& TheForms()
{
    static Forms forms;
    return forms;
}

}  // namespace

bool RegisterEmbeddedForms(const TEmbeddedForm* forms, std::size_t count)
{
    Forms& f = TheForms();
    std::lock_guard lock(f.mutex);
    for (std::size_t i = 0; i < count; ++i)
        f.byName[rtl::UpperCase(forms[i].name)] = std::string_view(forms[i].text, forms[i].size);
    return true;
}

std::optional<std::string_view> FindFormDescription(std::string_view name)
{
    Forms& f = TheForms();
    std::lock_guard lock(f.mutex);
    const auto it = f.byName.find(rtl::UpperCase(name));
    if (it == f.byName.end()) return std::nullopt;
    return it->second;
}

void LoadFormDescription(TComponent& form, std::string_view name)
{
    const auto text = FindFormDescription(name);
    if (!text) throw EResNotFound("Resource " + std::string(name) + " not found");
    TReadOptions options;
    options.strict = true;
    ReadComponentText(form, *text, options);
}

}  // namespace classes
