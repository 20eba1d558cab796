#pragma once
// The one owner of an ODBC handle (environment, connection or statement), for the data layer,
// which links the driver manager, and for the ODBC components, which load it at run time.
//
// Destroying or resetting the owner frees the handle; a connection marked connected is
// disconnected first, since a driver manager refuses to free a live connection (and then
// keeps its environment alive too). So no path, a failed connect included, can leak a handle
// or free one in the wrong way.
//
// `Calls` reaches the driver manager; it provides
//     static void Disconnect(void* connection) noexcept;
//     static bool Free(TOdbcHandleKind kind, void* handle) noexcept;  // true: freed
// The header itself needs no ODBC header: handles are untyped pointers here, as they are in
// the driver manager's own interface.

#include <cstdint>
#include <utility>

namespace db {

// The handle types, numbered as the ODBC interface numbers them (SQL_HANDLE_ENV, _DBC, _STMT).
enum class TOdbcHandleKind : std::int16_t { Environment = 1, Connection = 2, Statement = 3 };

template <class Calls>
class TOdbcHandle {
public:
    TOdbcHandle() noexcept = default;
    // Takes over a handle just allocated (nullptr: holds nothing).
    TOdbcHandle(TOdbcHandleKind kind, void* handle) noexcept : kind_(kind), handle_(handle) {}
    ~TOdbcHandle() { Reset(); }

    TOdbcHandle(TOdbcHandle&& other) noexcept
        : kind_(other.kind_), handle_(std::exchange(other.handle_, nullptr)),
          connected_(std::exchange(other.connected_, false))
    {
    }
    TOdbcHandle& operator=(TOdbcHandle&& other) noexcept
    {
        if (this != &other) {
            Reset();
            kind_ = other.kind_;
            handle_ = std::exchange(other.handle_, nullptr);
            connected_ = std::exchange(other.connected_, false);
        }
        return *this;
    }
    TOdbcHandle(const TOdbcHandle&) = delete;
    TOdbcHandle& operator=(const TOdbcHandle&) = delete;

    void* Get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != nullptr; }
    TOdbcHandleKind Kind() const noexcept { return kind_; }

    // A connection handle whose connect succeeded: it is disconnected before it is freed.
    void SetConnected(bool connected) noexcept { connected_ = connected && handle_ != nullptr; }
    bool IsConnected() const noexcept { return connected_; }

    // Gives the handle up to the caller, who frees it from now on.
    [[nodiscard]] void* Release() noexcept
    {
        connected_ = false;
        return std::exchange(handle_, nullptr);
    }

    // Disconnects (when connected) and frees the handle; true when there was none or the
    // driver manager freed it.
    bool Reset() noexcept
    {
        void* handle = std::exchange(handle_, nullptr);
        const bool connected = std::exchange(connected_, false);
        if (handle == nullptr) return true;
        if (connected) Calls::Disconnect(handle);
        return Calls::Free(kind_, handle);
    }

private:
    TOdbcHandleKind kind_ = TOdbcHandleKind::Environment;
    void* handle_ = nullptr;
    bool connected_ = false;
};

}  // namespace db
