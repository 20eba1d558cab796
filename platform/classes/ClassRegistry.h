#pragma once
// The class registry: components are created by class name when a description is read.
// Every library registers its component classes once at start-up (RegisterClasses<...>()).

#include <string_view>

#include "platform/classes/TypInfo.h"

namespace classes {

// Registers a class under its name. Registering the same class again does nothing;
// another class of the same name raises EComponentError.
void RegisterClass(const TClassInfo& info);
template <class... T>
void RegisterClasses()
{
    (RegisterClass(T::StaticClassInfo()), ...);
}
// Forgets a class (tests).
void UnregisterClass(const TClassInfo& info);

// The registered class of that name, letter case ignored; nullptr when none.
const TClassInfo* FindClassInfo(std::string_view className);
// The same, raising EClassNotFound "Class <name> not found".
const TClassInfo& GetClassInfo(std::string_view className);

// A new component of the registered class (EClassNotFound when the name is unknown or the
// class cannot be created).
TComponent* CreateComponent(std::string_view className, TComponent* owner);

}  // namespace classes
