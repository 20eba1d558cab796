#include "grid/Stacks.h"

namespace grid {

std::string TStackStr::Pop()
{
    if (items_.empty()) return {};
    std::string text = std::move(items_.back());
    items_.pop_back();
    return text;
}

void* TStackPtr::Pop()
{
    if (items_.empty()) return nullptr;
    void* pointer = items_.back();
    items_.pop_back();
    return pointer;
}

}  // namespace grid
