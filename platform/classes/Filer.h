#pragma once
// Defined properties: data a component streams itself, beside its published properties
// (an editor's "Strings", a parameter list's binary "Data").
//
//     void TMyList::DefineProperties(TFiler& filer)
//     {
//         TPersistent::DefineProperties(filer);
//         filer.DefineProperty("Strings", [this](TReader& r) { ... },
//                              [this](TWriter& w) { ... }, Count() > 0);
//     }
//
// When writing, a property is written only when `hasData` is true; when reading, the
// callback of the property the text names is called.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/classes/TextForm.h"

namespace rtl {
class TStrings;
}

namespace classes {

// Reads the value of one defined property. A value of another kind than asked for, or a
// value left unread, raises EReadError naming the line.
class TReader {
public:
    explicit TReader(const TTextValue& value);

    std::int64_t ReadInteger();
    bool ReadBoolean();
    double ReadFloat();  // integers are taken too
    std::string ReadString();
    std::string ReadIdent();
    std::string ReadBinary();

    // Lists: ReadListBegin, then values until EndOfList, then ReadListEnd.
    void ReadListBegin();
    bool EndOfList() const;
    void ReadListEnd();

    // The line of the next value (of the property when none is left).
    int Line() const;
    // Raises EReadError unless the whole value has been read.
    void CheckFinished() const;

private:
    const TTextValue& Next(TTextValue::Kind kind, const char* what);
    const TTextValue* Peek() const;

    struct Level {
        const TTextValue* values;
        std::size_t count;
        std::size_t index;
        int line;
    };
    std::vector<Level> stack_;
};

// Builds the value of one defined property: exactly one value (a list counts as one).
class TWriter {
public:
    void WriteInteger(std::int64_t v);
    void WriteBoolean(bool v);
    void WriteFloat(double v);
    void WriteString(std::string v);
    void WriteIdent(std::string v);
    void WriteBinary(std::string bytes);
    void WriteListBegin();
    void WriteListEnd();

    // The value written; rtl::EStreamError when none, more than one, or a list left open.
    TTextValue Result() const;

private:
    void Put(TTextValue v);

    std::vector<TTextValue> top_;
    std::vector<std::vector<TTextValue>> open_;
};

class TFiler {
public:
    virtual ~TFiler() = default;
    virtual void DefineProperty(std::string_view name, const std::function<void(TReader&)>& read,
                                const std::function<void(TWriter&)>& write, bool hasData) = 0;
    virtual void DefineBinaryProperty(std::string_view name, const std::function<void(std::string_view)>& read,
                                      const std::function<std::string()>& write, bool hasData) = 0;
};

// The "Strings" property of a string list: its items as a list of texts, written when the
// list has items; reading replaces the items.
void DefineStringsProperty(TFiler& filer, rtl::TStrings& strings);

}  // namespace classes
