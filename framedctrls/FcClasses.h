#pragma once
// Registers the framed controls' component classes, so that stored forms can place them.
// Safe to call more than once.

namespace framedctrls {

void RegisterFramedClasses();

}  // namespace framedctrls
