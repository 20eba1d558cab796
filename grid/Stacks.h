#pragma once
// Last-in-first-out stacks of texts and of pointers (the filter-expression parser keeps its
// grammar symbols and nodes on them). Popping an empty stack gives the empty value.

#include <string>
#include <utility>
#include <vector>

namespace grid {

class TStackStr {
public:
    void Push(std::string text) { items_.push_back(std::move(text)); }
    // The last text pushed, removed; "" when the stack is empty.
    std::string Pop();
    int Count() const noexcept { return static_cast<int>(items_.size()); }

private:
    std::vector<std::string> items_;
};

// Holds the pointers only; what they point to belongs to the caller.
class TStackPtr {
public:
    void Push(void* pointer) { items_.push_back(pointer); }
    // The last pointer pushed, removed; nullptr when the stack is empty.
    void* Pop();
    int Count() const noexcept { return static_cast<int>(items_.size()); }

private:
    std::vector<void*> items_;
};

}  // namespace grid
