#pragma once
// Scope objects for begin/end pairs: the end runs when the scope is left, by return or by
// exception, so no caller needs a hand-written catch-undo-rethrow block.
//
//   rtl::TScopeExit undo([&] { list.EndUpdate(); });     // any action, run once at scope end
//   auto guard = rtl::MakeScope(list, &TStrings::BeginUpdate, &TStrings::EndUpdate);
//
// An end action must not throw while an exception is already unwinding; the guard logs and
// swallows an exception from the end action in that case (the first exception is the one that
// matters) and lets it pass otherwise. Release() forgets the end action (for "commit" paths).

#include <exception>
#include <type_traits>
#include <utility>

#include "platform/rtl/Log.h"

namespace rtl {

template <class F>
class TScopeExit {
public:
    explicit TScopeExit(F f) noexcept(std::is_nothrow_move_constructible_v<F>)
        : f_(std::move(f)), uncaught_(std::uncaught_exceptions()) {}
    TScopeExit(TScopeExit&& other) noexcept(std::is_nothrow_move_constructible_v<F>)
        : f_(std::move(other.f_)), active_(other.active_), uncaught_(other.uncaught_)
    {
        other.active_ = false;
    }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;
    TScopeExit& operator=(TScopeExit&&) = delete;

    ~TScopeExit() noexcept(false)
    {
        if (!active_) return;
        active_ = false;
        if (std::uncaught_exceptions() > uncaught_) {
            try {
                f_();
            } catch (...) {
                LogCurrentException("scope end action while unwinding");
            }
        } else {
            f_();
        }
    }

    void Release() noexcept { active_ = false; }

private:
    F f_;
    bool active_ = true;
    int uncaught_;
};

template <class F>
TScopeExit(F) -> TScopeExit<F>;

// Calls begin now and end when the scope is left: the one form every Begin.../End... pair
// of the code base takes (BeginUpdate/EndUpdate, DisableControls/EnableControls, ...).
template <class T, class Begin, class End>
[[nodiscard]] auto MakeScope(T& object, Begin begin, End end)
{
    (object.*begin)();
    return TScopeExit([&object, end] { (object.*end)(); });
}

}  // namespace rtl
