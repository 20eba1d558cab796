#include "platform/classes/ClassRegistry.h"

#include <map>
#include <mutex>
#include <string>

#include "platform/classes/Persistent.h"
#include "platform/rtl/SysUtils.h"

namespace classes {

namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::string, const TClassInfo*> classes;  // by upper-cased name
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

}  // namespace

void RegisterClass(const TClassInfo& info)
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    const std::string key = rtl::UpperCase(info.ClassName());
    const auto it = r.classes.find(key);
    if (it != r.classes.end()) {
        if (it->second == &info) return;
        throw EComponentError("A class named " + info.ClassName() + " is already registered");
    }
    r.classes.emplace(key, &info);
}

void UnregisterClass(const TClassInfo& info)
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    const auto it = r.classes.find(rtl::UpperCase(info.ClassName()));
    if (it != r.classes.end() && it->second == &info) r.classes.erase(it);
}

const TClassInfo* FindClassInfo(std::string_view className)
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    const auto it = r.classes.find(rtl::UpperCase(className));
    return it == r.classes.end() ? nullptr : it->second;
}

const TClassInfo& GetClassInfo(std::string_view className)
{
    const TClassInfo* info = FindClassInfo(className);
    if (info == nullptr) throw EClassNotFound("Class " + std::string(className) + " not found");
    return *info;
}

TComponent* CreateComponent(std::string_view className, TComponent* owner)
{
    return GetClassInfo(className).CreateComponent(owner);
}

}  // namespace classes
