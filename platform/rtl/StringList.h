#pragma once
// String lists.
//
// TStrings is the abstract list of strings that every string-list property and view shares
// (a TStringList, an editor's Lines and Paragraphs, a list box's Items). A derived list
// implements the primitives (Get, GetCount, Insert, Delete, Clear, and Put, GetObject,
// PutObject where it keeps more than strings); everything else is built on them here:
// adding, searching, names and values, the text forms (Text, CommaText),
// files, copying and update counting.
//
// Each item may carry an object: any value in a std::any (empty when none). The list owns
// the value, so a value object is freed with its item; a component that keeps references
// to objects it owns elsewhere stores plain pointers (Foo*), which the list never frees.
//
// Indexes are 0-based ints. An index outside the list raises EListError
// "List index out of bounds (N)".

#include <any>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace rtl {

class TStrings {
public:
    TStrings() = default;
    virtual ~TStrings() = default;
    // Lists are copied with Assign, never by value.
    TStrings(const TStrings&) = delete;
    TStrings& operator=(const TStrings&) = delete;

    // ---- Primitives ------------------------------------------------------------------------
    virtual std::string Get(int index) const = 0;
    virtual int GetCount() const = 0;
    // Replaces item `index`, keeping its object. The default deletes and re-inserts.
    virtual void Put(int index, const std::string& s);
    // The object of item `index`; the default list keeps none (empty any).
    virtual std::any GetObject(int index) const;
    // The default ignores the object.
    virtual void PutObject(int index, std::any object);
    // Inserts before `index` (0..Count; Count appends).
    virtual void Insert(int index, const std::string& s) = 0;
    // Insert, then PutObject.
    virtual void InsertObject(int index, const std::string& s, std::any object);
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;

    int Count() const { return GetCount(); }
    std::string Strings(int index) const { return Get(index); }
    std::any Objects(int index) const { return GetObject(index); }
    // The object of item `index` when it holds a T, else T{} (nullptr for pointers).
    template <class T>
    T ObjectAs(int index) const
    {
        const std::any object = GetObject(index);
        if (const T* p = std::any_cast<T>(&object)) return *p;
        return T{};
    }

    // ---- Adding, searching, rearranging ----------------------------------------------------
    // Appends and returns the new item's index (a sorted list places it and may refuse it).
    virtual int Add(const std::string& s);
    virtual int AddObject(const std::string& s, std::any object);
    // Index of the first item equal to `s`, -1 when none. TStrings compares without regard
    // to case (AnsiSameText); TStringList follows its CaseSensitive.
    virtual int IndexOf(std::string_view s) const;
    // Swaps two items with their objects.
    virtual void Exchange(int index1, int index2);
    // Moves item `curIndex` (with its object) so that it ends at `newIndex`.
    virtual void Move(int curIndex, int newIndex);

    // ---- Names and values: items of the form name=value, split at the first "=" ---------
    // The name part of item `index` ("" when the item has no "=").
    std::string Names(int index) const;
    // The value part of item `index` ("" when the item has no "=").
    std::string ValueFromIndex(int index) const;
    // Index of the first item whose name part equals `name` (compared as IndexOf compares),
    // -1 when none.
    int IndexOfName(std::string_view name) const;
    // The value of the first item named `name`, "" when none.
    std::string Values(std::string_view name) const;
    // Sets the value of the first item named `name`, adding "name=value" when there is none;
    // an empty value deletes that item instead.
    void SetValue(std::string_view name, std::string_view value);

    // ---- Text forms ------------------------------------------------------------------------
    // Every item followed by CR LF, the last one included.
    virtual std::string Text() const;
    // Replaces the items by the lines of `text`, split at CR LF, CR or LF; a final line
    // break adds no empty item.
    virtual void SetText(std::string_view text);

    // The items joined by ",". An item is written between '"' characters (with each '"'
    // inside doubled) when it holds a comma, a '"' or, unless StrictDelimiter, a blank or
    // control character; a list of exactly one empty item is written as "", other empty
    // items as nothing.
    std::string CommaText() const;
    // Replaces the items by those of `text`: items end at "," and, unless StrictDelimiter,
    // at blanks and control characters, which are skipped around items; an item starting
    // with '"' runs to the closing quote, keeping commas and blanks, with each doubled quote
    // read as one. A comma at the very end adds an empty last item.
    void SetCommaText(std::string_view text);

    bool StrictDelimiter() const noexcept { return strictDelimiter_; }
    void SetStrictDelimiter(bool strict) noexcept { strictDelimiter_ = strict; }

    // ---- Files -----------------------------------------------------------------------------
    // Replaces the items by the lines of the UTF-8 file (a leading byte-order mark is
    // skipped). EFOpenError or EInOutError when it cannot be read; the list is then unchanged.
    virtual void LoadFromFile(const std::string& path);
    // Writes Text (UTF-8, CR LF after every line) through an atomic save; the stream errors
    // of SaveFileAtomically on failure, the old file then being intact.
    virtual void SaveToFile(const std::string& path) const;

    // ---- Copying and comparing -------------------------------------------------------------
    // Replaces the items (and objects) by those of `source`.
    virtual void Assign(const TStrings& source);
    // Appends the items (and objects) of `source`.
    virtual void AddStrings(const TStrings& source);

    // ---- Update counting -------------------------------------------------------------------
    // Nested: only the outermost BeginUpdate and EndUpdate call SetUpdateState.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const noexcept { return updateCount_; }

protected:
    // Called with true by the outermost BeginUpdate and with false by the matching
    // EndUpdate. The default does nothing.
    virtual void SetUpdateState(bool updating);
    // How IndexOf and IndexOfName compare; TStrings: AnsiCompareText.
    virtual int CompareStrings(std::string_view a, std::string_view b) const;
    // Raises EListError "List index out of bounds (<index>)".
    [[noreturn]] static void IndexError(int index);

private:
    int updateCount_ = 0;
    bool strictDelimiter_ = false;
};

enum TDuplicates {
    dupIgnore,  // adding a string a sorted list holds already adds nothing
    dupAccept,  // a sorted list keeps duplicates
    dupError,   // adding one raises EListError "String list does not allow duplicates"
};

class TStringList : public TStrings {
public:
    TStringList() = default;

    std::string Get(int index) const override;
    int GetCount() const override;
    // EListError "Operation not allowed on sorted list" on a sorted list.
    void Put(int index, const std::string& s) override;
    std::any GetObject(int index) const override;
    void PutObject(int index, std::any object) override;
    // Both raise EListError "Operation not allowed on sorted list" on a sorted list.
    void Insert(int index, const std::string& s) override;
    void InsertObject(int index, const std::string& s, std::any object) override;
    void Delete(int index) override;
    void Clear() override;

    // A sorted list inserts at the sorted place and applies Duplicates; the result is the
    // item's index (for dupIgnore, the existing item's).
    int Add(const std::string& s) override;
    int AddObject(const std::string& s, std::any object) override;
    // A sorted list searches by bisection.
    int IndexOf(std::string_view s) const override;
    // Both raise EListError "Operation not allowed on sorted list" on a sorted list, whose
    // order they would break.
    void Exchange(int index1, int index2) override;
    void Move(int curIndex, int newIndex) override;

    // Bisection search of a sorted list: true when `s` is there, with `index` the first
    // such item (with dupAccept) or one of them; else false, with `index` the place where
    // `s` would be inserted. Only meaningful on a sorted list.
    bool Find(std::string_view s, int& index) const;
    // Sorts the items (stable: equal items keep their order) by CompareStrings.
    virtual void Sort();

    bool Sorted() const noexcept { return sorted_; }
    // Turning it on sorts the list.
    void SetSorted(bool sorted);
    TDuplicates Duplicates() const noexcept { return duplicates_; }
    void SetDuplicates(TDuplicates duplicates) noexcept { duplicates_ = duplicates; }
    // False by default. Changing it re-sorts a sorted list.
    bool CaseSensitive() const noexcept { return caseSensitive_; }
    void SetCaseSensitive(bool caseSensitive);

    // Fired before and after every change, unless an update is under way; BeginUpdate fires
    // OnChanging and the outermost EndUpdate fires OnChange (once, for the whole update).
    std::function<void(TStringList& sender)> OnChanging;
    std::function<void(TStringList& sender)> OnChange;

protected:
    void SetUpdateState(bool updating) override;
    // CaseSensitive ? CompareStr : AnsiCompareText.
    int CompareStrings(std::string_view a, std::string_view b) const override;
    // Fire OnChanging / OnChange unless an update is under way.
    virtual void Changing();
    virtual void Changed();

private:
    struct Item {
        std::string text;
        std::any object;
    };
    void CheckIndex(int index) const;
    void InsertItem(int index, const std::string& s, std::any object);
    void CheckNotSorted() const;

    std::vector<Item> items_;
    bool sorted_ = false;
    bool caseSensitive_ = false;
    TDuplicates duplicates_ = dupIgnore;
};

}  // namespace rtl
