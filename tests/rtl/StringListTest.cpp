#include "platform/rtl/StringList.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace rtl;

namespace {

using Items = std::vector<std::string>;

Items ItemsOf(const TStrings& list)
{
    Items r;
    for (int i = 0; i < list.Count(); ++i) r.push_back(list.Get(i));
    return r;
}

void Fill(TStrings& list, const Items& items)
{
    list.Clear();
    for (const std::string& s : items) list.Add(s);
}

std::string ListErrorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const EListError& e) {
        return e.Message();
    }
    return "no exception";
}

// A list that implements only the primitives, as an editor's views and a list box's Items
// do, so that the behaviour TStrings builds on them is checked on its own.
class PrimitiveList : public TStrings {
public:
    std::string Get(int index) const override
    {
        if (index < 0 || index >= GetCount()) IndexError(index);
        return items[static_cast<std::size_t>(index)];
    }
    int GetCount() const override { return static_cast<int>(items.size()); }
    void Insert(int index, const std::string& s) override
    {
        if (index < 0 || index > GetCount()) IndexError(index);
        items.insert(items.begin() + index, s);
    }
    void Delete(int index) override
    {
        if (index < 0 || index >= GetCount()) IndexError(index);
        items.erase(items.begin() + index);
    }
    void Clear() override { items.clear(); }

    Items items;
    std::vector<bool> updateStates;

protected:
    void SetUpdateState(bool updating) override { updateStates.push_back(updating); }
};

}  // namespace

// ---- CommaText and DelimitedText ---------------------------------------------------------

TEST(StringListCommaText, WritesAndReadsBackTheSameItems)
{
    struct Case {
        Items items;
        const char* text;
    };
    const Case cases[] = {
        {{}, ""},
        {{"a", "b", "c"}, "a,b,c"},
        {{"a b"}, "\"a b\""},                         // a blank forces quotes
        {{"a,b"}, "\"a,b\""},                         // so does the delimiter
        {{"say \"hi\""}, "\"say \"\"hi\"\"\""},       // and a quote, which is doubled
        {{"tab\there", "x\r\ny"}, "\"tab\there\",\"x\r\ny\""},
        {{""}, "\"\""},                               // a lone empty item is kept quoted
        {{"a", "", "b"}, "a,,b"},                     // other empty items are written as nothing
        {{"", "a"}, ",a"},
        {{"a", ""}, "a,"},
        {{"", ""}, ","},
        {{"x=1", "y=a b"}, "x=1,\"y=a b\""},
        {{"é", "'single'"}, "é,'single'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TStringList list;
        Fill(list, c.items);
        EXPECT_EQ(list.CommaText(), c.text);
        TStringList back;
        back.SetCommaText(c.text);
        EXPECT_EQ(ItemsOf(back), c.items);
    }
}

TEST(StringListCommaText, ReadsBlanksQuotesAndEmptyItems)
{
    struct Case {
        const char* text;
        Items items;
    };
    const Case cases[] = {
        {"a, \"b c\",,d", {"a", "b c", "", "d"}},
        {"a b", {"a", "b"}},                 // a blank ends an unquoted item
        {"  a  ,  b  ", {"a", "b"}},         // blanks around items are skipped
        {"\"a\"\"b\"", {"a\"b"}},
        {"\"a\",\"\",b", {"a", "", "b"}},
        {"\"a\"b,c", {"a", "b", "c"}},       // text right after a closing quote is the next item
        {"\"abc", {"abc"}},                  // an unterminated quote keeps all it holds
        {"\"a, b\" , \" c \"", {"a, b", " c "}},
        {" ", {}},
        {"\t\r\n", {}},
        {"a,", {"a", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TStringList list;
        list.Add("old");
        list.SetCommaText(c.text);
        EXPECT_EQ(ItemsOf(list), c.items);
    }
}

TEST(StringListCommaText, StrictModeSplitsOnlyAtCommas)
{
    // Strict: only the comma separates; blanks are part of the items and need no quotes.
    TStringList strict;
    strict.SetStrictDelimiter(true);
    strict.SetCommaText(" a b , c,");
    EXPECT_EQ(ItemsOf(strict), (Items{" a b ", " c", ""}));
    EXPECT_EQ(strict.CommaText(), " a b , c,");
}

// ---- Text -------------------------------------------------------------------------------

TEST(StringListText, SplitsAtCrLfCrAndLf)
{
    struct Case {
        const char* name;
        const char* text;
        Items items;
    };
    const Case cases[] = {
        {"empty", "", {}},
        {"one line without a break", "a", {"a"}},
        {"final break adds no item", "a\r\n", {"a"}},
        {"CR LF", "a\r\nb", {"a", "b"}},
        {"LF and CR", "a\nb\rc", {"a", "b", "c"}},
        {"CR CR LF", "a\r\r\nb", {"a", "", "b"}},
        {"LF CR is two breaks", "a\n\rb", {"a", "", "b"}},
        {"two LF", "a\n\nb", {"a", "", "b"}},
        {"only a break", "\r\n", {""}},
        {"empty last line", "a\r\n\r\n", {"a", ""}},
        {"blanks kept", " a \r\n", {" a "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TStringList list;
        list.Add("old");
        list.SetText(c.text);
        EXPECT_EQ(ItemsOf(list), c.items);
    }
}

TEST(StringListText, EveryLineEndsWithCrLf)
{
    TStringList list;
    EXPECT_EQ(list.Text(), "");
    list.Add("");
    EXPECT_EQ(list.Text(), "\r\n");
    Fill(list, {"a", "end", "é"});
    EXPECT_EQ(list.Text(), "a\r\nend\r\né\r\n");
}

// ---- Names and values ------------------------------------------------------------------

TEST(StringListNames, SplitAtTheFirstEquals)
{
    TStringList list;
    Fill(list, {"a=1", "B=2=3", "noequals", "=x", "c="});
    EXPECT_EQ(list.Names(1), "B");
    EXPECT_EQ(list.ValueFromIndex(1), "2=3");
    EXPECT_EQ(list.Names(2), "");
    EXPECT_EQ(list.ValueFromIndex(2), "");
    EXPECT_EQ(list.Names(3), "");
    EXPECT_EQ(list.IndexOfName("b"), 1);  // names compare without regard to case
    EXPECT_EQ(list.IndexOfName("noequals"), -1);
    EXPECT_EQ(list.IndexOfName(""), 3);
    EXPECT_EQ(list.Values("A"), "1");
    EXPECT_EQ(list.Values("c"), "");
    EXPECT_EQ(list.Values("missing"), "");

    list.SetValue("a", "9");
    list.SetValue("new", "v w");
    list.SetValue("B", "");       // an empty value deletes the item
    list.SetValue("absent", "");  // and adds nothing when there is none
    EXPECT_EQ(ItemsOf(list), (Items{"a=9", "noequals", "=x", "c=", "new=v w"}));

    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOfName("A"), -1);
}

// ---- Searching, sorting, duplicates ------------------------------------------------------

TEST(StringListSearch, IndexOfFollowsCaseSensitivity)
{
    TStringList list;
    Fill(list, {"Alpha", "école", "beta"});
    EXPECT_EQ(list.IndexOf("ALPHA"), 0);
    EXPECT_EQ(list.IndexOf("ÉCOLE"), 1);
    EXPECT_EQ(list.IndexOf("gamma"), -1);
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf("ALPHA"), -1);
    EXPECT_EQ(list.IndexOf("Alpha"), 0);
}

TEST(StringListSorted, AddsInOrderAndFindsByBisection)
{
    TStringList list;
    list.SetSorted(true);
    for (const char* s : {"delta", "Bravo", "alpha", "charlie", "Echo"}) list.Add(s);
    EXPECT_EQ(ItemsOf(list), (Items{"alpha", "Bravo", "charlie", "delta", "Echo"}));
    int index = -1;
    EXPECT_TRUE(list.Find("CHARLIE", index));
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(list.Find("cat", index));
    EXPECT_EQ(index, 2);
    EXPECT_EQ(list.IndexOf("echo"), 4);
    EXPECT_EQ(list.IndexOf("zulu"), -1);
    EXPECT_EQ(list.Add("b"), 1);

    // Case-sensitive order is by character code: capitals first.
    list.SetCaseSensitive(true);
    EXPECT_EQ(ItemsOf(list), (Items{"Bravo", "Echo", "alpha", "b", "charlie", "delta"}));
    EXPECT_EQ(list.IndexOf("echo"), -1);
}

TEST(StringListSorted, SortingAnUnsortedListIsStable)
{
    TStringList list;
    Fill(list, {"b", "A", "a", "B"});
    list.Sort();
    EXPECT_EQ(ItemsOf(list), (Items{"A", "a", "b", "B"}));
    list.SetSorted(true);
    EXPECT_TRUE(list.Sorted());
}

TEST(StringListSorted, Duplicates)
{
    TStringList list;
    list.SetSorted(true);
    Fill(list, {"a", "b"});

    EXPECT_EQ(list.Add("B"), 1);  // dupIgnore: the existing item's index, nothing added
    EXPECT_EQ(list.Count(), 2);

    list.SetDuplicates(dupError);
    EXPECT_EQ(ListErrorOf([&] { list.Add("A"); }), "String list does not allow duplicates");
    EXPECT_EQ(list.Count(), 2);

    list.SetDuplicates(dupAccept);
    list.Add("b");
    list.Add("B");
    EXPECT_EQ(ItemsOf(list), (Items{"a", "B", "b", "b"}));
    int index = -1;
    EXPECT_TRUE(list.Find("b", index));
    EXPECT_EQ(index, 1);  // the first of equal items

    // Unsorted lists accept anything.
    TStringList plain;
    plain.SetDuplicates(dupError);
    plain.Add("x");
    plain.Add("x");
    EXPECT_EQ(plain.Count(), 2);
}

TEST(StringListSorted, OperationsThatBreakTheOrderAreRefused)
{
    TStringList list;
    Fill(list, {"c", "a", "b"});
    list.SetSorted(true);
    const std::string sortedError = "Operation not allowed on sorted list";
    EXPECT_EQ(ListErrorOf([&] { list.Insert(0, "z"); }), sortedError);
    EXPECT_EQ(ListErrorOf([&] { list.InsertObject(0, "z", 1); }), sortedError);
    EXPECT_EQ(ListErrorOf([&] { list.Put(0, "z"); }), sortedError);
    EXPECT_EQ(ListErrorOf([&] { list.Exchange(0, 2); }), sortedError);
    EXPECT_EQ(ListErrorOf([&] { list.Move(0, 2); }), sortedError);
    EXPECT_EQ(ItemsOf(list), (Items{"a", "b", "c"}));
    list.Delete(0);  // deleting keeps the order and is allowed
    EXPECT_EQ(ItemsOf(list), (Items{"b", "c"}));
}

// ---- Index errors, rearranging, objects --------------------------------------------------

TEST(StringListIndexes, OutOfBoundsNamesTheIndex)
{
    TStringList list;
    Fill(list, {"a", "b", "c"});
    EXPECT_EQ(ListErrorOf([&] { list.Get(3); }), "List index out of bounds (3)");
    EXPECT_EQ(ListErrorOf([&] { list.Get(-1); }), "List index out of bounds (-1)");
    EXPECT_EQ(ListErrorOf([&] { list.Delete(5); }), "List index out of bounds (5)");
    EXPECT_EQ(ListErrorOf([&] { list.Put(3, "x"); }), "List index out of bounds (3)");
    EXPECT_EQ(ListErrorOf([&] { list.Insert(4, "x"); }), "List index out of bounds (4)");
    EXPECT_EQ(ListErrorOf([&] { list.PutObject(3, 1); }), "List index out of bounds (3)");
    EXPECT_EQ(ListErrorOf([&] { list.Exchange(0, 3); }), "List index out of bounds (3)");
    EXPECT_EQ(ListErrorOf([&] { list.Move(0, 3); }), "List index out of bounds (3)");
    EXPECT_EQ(ListErrorOf([&] { list.Names(7); }), "List index out of bounds (7)");
    list.Insert(3, "d");  // Count itself appends
    EXPECT_EQ(ItemsOf(list), (Items{"a", "b", "c", "d"}));
}

TEST(StringListRearrange, MoveAndExchangeCarryObjects)
{
    // Once through TStringList's own storage, once through the generic implementation.
    TStringList stringList;
    PrimitiveList primitive;
    for (TStrings* list : std::initializer_list<TStrings*>{&stringList, &primitive}) {
        Fill(*list, {"a", "b", "c", "d"});
        list->Move(0, 2);
        EXPECT_EQ(ItemsOf(*list), (Items{"b", "c", "a", "d"}));
        list->Move(3, 0);
        EXPECT_EQ(ItemsOf(*list), (Items{"d", "b", "c", "a"}));
        list->Exchange(0, 3);
        EXPECT_EQ(ItemsOf(*list), (Items{"a", "b", "c", "d"}));
        // A bad target is refused before anything is taken out.
        EXPECT_THROW(list->Move(1, 4), EListError);
        EXPECT_EQ(ItemsOf(*list), (Items{"a", "b", "c", "d"}));
    }

    TStringList list;
    list.AddObject("one", 1);
    list.AddObject("two", std::string("zwei"));
    list.Add("three");
    list.Exchange(0, 2);
    list.Move(1, 0);
    EXPECT_EQ(ItemsOf(list), (Items{"two", "three", "one"}));
    EXPECT_EQ(list.ObjectAs<std::string>(0), "zwei");
    EXPECT_FALSE(list.Objects(1).has_value());
    EXPECT_EQ(list.ObjectAs<int>(2), 1);
    EXPECT_EQ(list.ObjectAs<int>(0), 0);  // holds a string, not an int
    list.Put(2, "uno");                   // replacing the text keeps the object
    EXPECT_EQ(list.ObjectAs<int>(2), 1);
}

TEST(StringListObjects, ValuesAreFreedWithTheirItemsPointersAreNot)
{
    auto owned = std::make_shared<int>(5);
    std::weak_ptr<int> watch = owned;
    int external = 7;
    {
        TStringList list;
        list.AddObject("owned", std::move(owned));
        list.AddObject("pointer", &external);
        EXPECT_EQ(*list.ObjectAs<int*>(1), 7);
        EXPECT_EQ(list.ObjectAs<int*>(0), nullptr);
        EXPECT_FALSE(watch.expired());
        list.Delete(0);
        EXPECT_TRUE(watch.expired());
    }
    EXPECT_EQ(external, 7);
}

// ---- Copying -------------------------------------------------------------------------------

TEST(StringListCopy, AssignAddStringsEquals)
{
    TStringList source;
    source.AddObject("a", 1);
    source.AddObject("b", 2);

    PrimitiveList target;  // keeps no objects
    target.items = {"old"};
    target.Assign(source);
    EXPECT_EQ(target.items, (Items{"a", "b"}));

    TStringList copy;
    copy.Assign(source);
    EXPECT_EQ(copy.ObjectAs<int>(1), 2);
    copy.Assign(copy);  // assigning a list to itself changes nothing
    EXPECT_EQ(ItemsOf(copy), (Items{"a", "b"}));
    copy.AddStrings(copy);
    EXPECT_EQ(ItemsOf(copy), (Items{"a", "b", "a", "b"}));

    TStringList upper;

    TStringList sorted;  // a sorted target places what it receives
    sorted.SetSorted(true);
    Fill(upper, {"c", "a", "b", "a"});
    sorted.Assign(upper);
    EXPECT_EQ(ItemsOf(sorted), (Items{"a", "b", "c"}));
}

// ---- Updates and change events -------------------------------------------------------------

TEST(StringListEvents, ChangeEventsAndUpdateCounting)
{
    TStringList list;
    int changing = 0, changed = 0;
    list.OnChanging = [&](TStringList& sender) {
        EXPECT_EQ(&sender, &list);
        ++changing;
    };
    list.OnChange = [&](TStringList&) { ++changed; };

    list.Add("a");
    EXPECT_EQ(changing, 1);
    EXPECT_EQ(changed, 1);

    list.BeginUpdate();
    EXPECT_EQ(changing, 2);  // BeginUpdate announces the coming change
    list.BeginUpdate();
    list.Add("b");
    list.Delete(0);
    list.EndUpdate();
    EXPECT_EQ(changed, 1);  // still inside the outer update
    list.EndUpdate();
    EXPECT_EQ(changing, 2);
    EXPECT_EQ(changed, 2);
    EXPECT_EQ(list.UpdateCount(), 0);
    list.EndUpdate();  // unbalanced: ignored
    EXPECT_EQ(list.UpdateCount(), 0);

    // Whole-list operations announce themselves once.
    changing = changed = 0;
    list.SetText("x\r\ny\r\nz");
    list.SetCommaText("p,q");
    TStringList other;
    Fill(other, {"1", "2", "3"});
    list.Assign(other);
    EXPECT_EQ(changing, 3);
    EXPECT_EQ(changed, 3);

    // A failed change still ends its update.
    list.SetSorted(true);
    list.SetDuplicates(dupError);
    EXPECT_THROW(list.SetCommaText("a,a"), EListError);
    EXPECT_EQ(list.UpdateCount(), 0);
}

TEST(StringListEvents, GenericListsSeeOnlyTheOutermostUpdate)
{
    PrimitiveList list;
    list.BeginUpdate();
    list.BeginUpdate();
    list.EndUpdate();
    list.EndUpdate();
    list.SetText("a\r\nb");
    EXPECT_EQ(list.updateStates, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(list.items, (Items{"a", "b"}));
    EXPECT_EQ(list.IndexOf("B"), 1);
    EXPECT_EQ(list.Values("a"), "");
}

// ---- Files -----------------------------------------------------------------------------------

TEST(StringListFiles, SaveWritesUtf8WithCrLfAndLoadReadsAnyBreaks)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath("history.dat").toStdString();

    TStringList list;
    Fill(list, {"/p/one.gwp", "/p/é.gwp"});
    list.SaveToFile(path);
    EXPECT_EQ(ReadFileToString(path), "/p/one.gwp\r\n/p/é.gwp\r\n");

    TStringList loaded;
    loaded.LoadFromFile(path);
    EXPECT_EQ(ItemsOf(loaded), ItemsOf(list));

    WriteStringToFile(path, "\xEF\xBB\xBFx\ny\r\nz");
    loaded.LoadFromFile(path);
    EXPECT_EQ(ItemsOf(loaded), (Items{"x", "y", "z"}));

    // A file that cannot be read leaves the list as it was.
    EXPECT_THROW(loaded.LoadFromFile(dir.filePath("missing.dat").toStdString()), EFOpenError);
    EXPECT_EQ(ItemsOf(loaded), (Items{"x", "y", "z"}));
    EXPECT_THROW(loaded.SaveToFile(dir.filePath("no/such/folder.dat").toStdString()), rtl::Exception);
}
