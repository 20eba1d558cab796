// The data set model: navigation and the record window, data links, disabling controls,
// bookmarks and locate, editing with its events and checks, fields by name.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "MemDataSet.h"
#include "platform/db/DataSet.h"
#include "platform/rtl/Log.h"

using namespace db;
using dbtest::TMemDataSet;
using dbtest::TRecordingLink;

namespace {

std::unique_ptr<TMemDataSet> People(int rows)
{
    auto ds = std::make_unique<TMemDataSet>();
    ds->SetName("people");
    ds->columns = {{"ID", ftInteger}, {"Name", ftString, 30, true}, {"Born", ftDate}};
    for (int i = 1; i <= rows; ++i) ds->AddRow({TVariant(i), TVariant("P" + std::to_string(i)), TVariant()});
    return ds;
}

std::vector<int> WalkIds(TDataSet& ds)
{
    std::vector<int> ids;
    for (ds.First(); !ds.Eof(); ds.Next()) ids.push_back(ds.FieldByName("ID")->AsInteger());
    return ids;
}

}  // namespace

TEST(DataSet, WalksForwardAndBackWithExactCount)
{
    auto ds = People(5);
    ds->Open();
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_TRUE(ds->Bof());
    EXPECT_FALSE(ds->Eof());
    EXPECT_EQ(ds->RecordCount(), 5);
    EXPECT_EQ(WalkIds(*ds), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 5);  // Eof stays on the last record

    std::vector<int> back;
    for (ds->Last(); !ds->Bof(); ds->Prior()) back.push_back(ds->FieldByName("ID")->AsInteger());
    EXPECT_EQ(back, (std::vector<int>{5, 4, 3, 2, 1}));

    ds->First();
    EXPECT_EQ(ds->MoveBy(3), 3);
    EXPECT_EQ(ds->RecNo(), 4);
    EXPECT_EQ(ds->MoveBy(10), 1);
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(ds->MoveBy(-10), -4);
    EXPECT_TRUE(ds->Bof());
    ds->SetRecNo(3);
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 3);
}

TEST(DataSet, EmptyDataSetIsBofAndEof)
{
    auto ds = People(0);
    ds->Open();
    EXPECT_TRUE(ds->IsEmpty());
    EXPECT_TRUE(ds->Bof());
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(ds->RecordCount(), 0);
    EXPECT_TRUE(ds->FieldByName("ID")->IsNull());
    EXPECT_EQ(ds->MoveBy(1), 0);
    EXPECT_THROW(ds->Delete(), EDatabaseError);
}

TEST(DataSet, ClosedDataSetRefusesNavigationAndOpenOneRefusesFieldChanges)
{
    auto ds = People(2);
    try {
        ds->First();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "people: Cannot perform this operation on a closed dataset");
    }
    ds->Open();
    TField* id = ds->FieldByName("ID");
    EXPECT_THROW(id->SetFieldName("Other"), EDatabaseError);
    ds->Close();
    EXPECT_EQ(ds->FieldCount(), 0);  // default fields go with the close
}

TEST(DataSet, FieldsByNameIgnoreCaseAndMissingOnesAreReported)
{
    auto ds = People(1);
    ds->Open();
    EXPECT_EQ(ds->FieldByName("name"), ds->FindField("NAME"));
    EXPECT_EQ(ds->FindField("nothing"), nullptr);
    try {
        ds->FieldByName("nothing");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "people: Field 'nothing' not found");
    }
    EXPECT_EQ(ds->FieldDefs().Count(), 3);
    EXPECT_EQ(ds->FieldDefs().Find("born").DataType(), ftDate);
}

TEST(DataSet, FieldIndexReordersAndDisplayPropertiesNotifyLinks)
{
    auto ds = People(1);
    ds->Open();
    TDataSource source(nullptr);
    source.SetDataSet(ds.get());
    TRecordingLink link;
    link.SetDataSource(&source);
    link.events.clear();

    TField* born = ds->FieldByName("Born");
    born->SetIndex(0);
    EXPECT_EQ(ds->Fields()[0], born);
    EXPECT_EQ(ds->FieldByName("ID")->Index(), 1);
    born->SetIndex(99);  // beyond the end: last
    EXPECT_EQ(born->Index(), 2);

    TField* name = ds->FieldByName("Name");
    EXPECT_EQ(name->DisplayLabel(), "Name");
    name->SetDisplayLabel("Full name");
    EXPECT_EQ(name->DisplayName(), "Full name");
    EXPECT_EQ(name->DisplayWidth(), 30);  // a string field's default is its size
    name->SetDisplayWidth(12);
    EXPECT_EQ(name->DisplayWidth(), 12);
    name->SetVisible(false);
    EXPECT_FALSE(name->Visible());
    EXPECT_EQ(std::count(link.events.begin(), link.events.end(), "layout"), 5);
}

TEST(DataSet, LinksSeeTheirOwnWindowOfRecords)
{
    auto ds = People(20);
    ds->Open();
    TDataSource source(nullptr);
    source.SetDataSet(ds.get());
    TRecordingLink grid;  // a grid showing five rows
    grid.SetBufferCount(5);
    grid.SetDataSource(&source);
    TRecordingLink edit;  // an edit showing the current record
    edit.SetDataSource(&source);
    ASSERT_TRUE(grid.Active());
    EXPECT_EQ(grid.RecordCount(), 5);
    EXPECT_EQ(grid.ActiveRecord(), 0);

    const auto idOfRow = [&](int row) {
        const int saved = grid.ActiveRecord();
        grid.SetActiveRecord(row);
        const int id = ds->FieldByName("ID")->AsInteger();
        grid.SetActiveRecord(saved);
        return id;
    };
    EXPECT_EQ(idOfRow(4), 5);

    ds->MoveBy(6);  // record 7: the grid scrolls so that it shows 3..7
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 7);
    EXPECT_EQ(grid.ActiveRecord(), 4);
    EXPECT_EQ(idOfRow(0), 3);
    EXPECT_EQ(edit.ActiveRecord(), 0);
    EXPECT_EQ(edit.RecordCount(), 1);

    ds->MoveBy(-3);  // record 4 is on screen: no scroll, the cursor moves up
    EXPECT_EQ(grid.ActiveRecord(), 1);
    EXPECT_EQ(idOfRow(0), 3);
    ds->MoveBy(-3);  // record 1
    EXPECT_EQ(grid.ActiveRecord(), 0);
    EXPECT_EQ(idOfRow(0), 1);
    EXPECT_EQ(idOfRow(4), 5);

    ds->Last();
    EXPECT_EQ(grid.ActiveRecord(), 4);
    EXPECT_EQ(idOfRow(0), 16);

    grid.SetBufferCount(3);  // a smaller grid keeps the current record in view
    EXPECT_EQ(grid.RecordCount(), 3);
    EXPECT_EQ(grid.ActiveRecord(), 2);
    EXPECT_EQ(idOfRow(2), 20);
    grid.SetBufferCount(8);
    EXPECT_EQ(grid.RecordCount(), 8);
    EXPECT_EQ(idOfRow(grid.ActiveRecord()), 20);
    EXPECT_EQ(idOfRow(0), 13);
}

TEST(DataSet, DisabledControlsHearOneChangeWhenTheOutermostEnableComes)
{
    auto ds = People(10);
    ds->Open();
    TDataSource source(nullptr);
    source.SetDataSet(ds.get());
    TRecordingLink link;
    link.SetDataSource(&source);
    link.events.clear();

    ds->DisableControls();
    ds->DisableControls();
    EXPECT_TRUE(ds->ControlsDisabled());
    ds->Next();
    ds->Last();
    ds->FieldByName("ID")->SetVisible(false);  // a layout change is remembered
    ds->EnableControls();
    EXPECT_TRUE(link.events.empty());
    ds->EnableControls();
    EXPECT_FALSE(ds->ControlsDisabled());
    EXPECT_EQ(link.events, (std::vector<std::string>{"layout"}));

    link.events.clear();
    ds->DisableControls();
    ds->Close();
    ds->EnableControls();  // the state change is told; there is nothing left to refresh
    EXPECT_EQ(link.events, (std::vector<std::string>{"inactive"}));
}

TEST(DataSet, BookmarksAndLocate)
{
    auto ds = People(6);
    ds->AddRow({TVariant(7), TVariant("Ägidius"), TVariant()});
    ds->Open();
    ds->MoveBy(2);
    const TBookmark mark = ds->GetBookmark();
    ASSERT_FALSE(mark.empty());
    EXPECT_TRUE(ds->BookmarkValid(mark));
    ds->Last();
    ds->GotoBookmark(mark);
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 3);
    ds->First();
    EXPECT_LT(ds->CompareBookmarks(ds->GetBookmark(), mark), 0);

    int scrolls = 0;
    ds->AfterScroll = [&](TDataSet*) { ++scrolls; };
    EXPECT_TRUE(ds->Locate("Name", TVariant("p5"), {loCaseInsensitive}));
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 5);
    EXPECT_EQ(scrolls, 1);
    EXPECT_FALSE(ds->Locate("Name", TVariant("p5")));  // case matters without the option
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 5);  // a failed locate stays put
    EXPECT_TRUE(ds->Locate("name", TVariant("äg"), {loCaseInsensitive, loPartialKey}));
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 7);
    EXPECT_TRUE(ds->Locate("ID;Name", {TVariant(2), TVariant("P2")}));
    EXPECT_EQ(ds->RecNo(), 2);
    EXPECT_TRUE(ds->Locate("ID", TVariant("4")));  // text compared with a number as a number
    EXPECT_EQ(ds->RecNo(), 4);
    EXPECT_THROW(ds->Locate("ID;Name", {TVariant(2)}), EDatabaseError);
}

TEST(DataSet, EditPostCancelAndTheirEventsInOrder)
{
    auto ds = People(3);
    ds->Open();
    std::vector<std::string> events;
    ds->BeforeEdit = [&](TDataSet*) { events.push_back("BeforeEdit"); };
    ds->AfterEdit = [&](TDataSet*) { events.push_back("AfterEdit"); };
    ds->BeforePost = [&](TDataSet*) { events.push_back("BeforePost"); };
    ds->AfterPost = [&](TDataSet*) { events.push_back("AfterPost"); };
    ds->BeforeCancel = [&](TDataSet*) { events.push_back("BeforeCancel"); };
    ds->AfterCancel = [&](TDataSet*) { events.push_back("AfterCancel"); };
    TField* name = ds->FieldByName("Name");
    name->OnChange = [&](TField*) { events.push_back("OnChange"); };

    try {
        name->SetAsString("x");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "people: Dataset not in edit or insert mode");
    }

    ds->Next();
    ds->Edit();
    EXPECT_EQ(ds->State(), dsEdit);
    name->SetAsString("Renamed");
    EXPECT_TRUE(ds->Modified());
    ds->Post();
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(name->AsString(), "Renamed");
    EXPECT_EQ(ds->RecNo(), 2);

    ds->Edit();
    name->SetAsString("Dropped");
    ds->Cancel();
    EXPECT_EQ(name->AsString(), "Renamed");
    EXPECT_EQ(events, (std::vector<std::string>{"BeforeEdit", "AfterEdit", "OnChange", "BeforePost", "AfterPost",
                                                "BeforeEdit", "AfterEdit", "OnChange", "BeforeCancel",
                                                "AfterCancel"}));
}

TEST(DataSet, InsertAppendAndDeleteKeepTheRecordOrder)
{
    auto ds = People(3);
    ds->Open();
    ds->Next();  // on 2
    ds->Insert();
    EXPECT_EQ(ds->State(), dsInsert);
    EXPECT_TRUE(ds->FieldByName("ID")->IsNull());
    ds->FieldByName("ID")->SetAsInteger(10);
    ds->FieldByName("Name")->SetAsString("Ten");
    ds->Post();
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 10);
    EXPECT_EQ(WalkIds(*ds), (std::vector<int>{1, 10, 2, 3}));

    ds->Append();
    ds->FieldByName("ID")->SetAsInteger(11);
    ds->FieldByName("Name")->SetAsString("Eleven");
    ds->Post();
    EXPECT_EQ(WalkIds(*ds), (std::vector<int>{1, 10, 2, 3, 11}));
    EXPECT_EQ(ds->RecordCount(), 5);

    ds->First();
    ds->Next();
    ds->Delete();
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 2);  // the next record becomes current
    EXPECT_EQ(WalkIds(*ds), (std::vector<int>{1, 2, 3, 11}));

    ds->Append();
    ds->Cancel();  // an abandoned insert leaves nothing behind
    EXPECT_EQ(ds->RecordCount(), 4);
}

TEST(DataSet, PostChecksRequiredFieldsAndFieldsRefuseWhatTheyCannotTake)
{
    auto ds = People(1);
    ds->Open();
    ds->Append();
    ds->FieldByName("ID")->SetAsInteger(2);
    try {
        ds->Post();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "people: Field 'Name' must have a value");
    }
    EXPECT_EQ(ds->State(), dsInsert);
    ds->FieldByName("ID")->SetReadOnly(true);
    try {
        ds->FieldByName("ID")->SetAsInteger(3);
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "people: Field 'ID' cannot be modified");
    }
    ds->Cancel();
    ds->FieldByName("ID")->SetReadOnly(false);

    ds->Edit();
    // A 32-bit field refuses a value outside its range; the record keeps its value.
    EXPECT_THROW(ds->FieldByName("ID")->SetAsLargeInt(5'000'000'000LL), EDatabaseError);
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 1);
    EXPECT_THROW(ds->FieldByName("ID")->SetAsString("twelve"), rtl::EConvertError);
    // OnValidate can refuse a value, which is then taken back.
    ds->FieldByName("Name")->OnValidate = [](TField* f) {
        if (f->AsString().empty()) throw EDatabaseError("Name needed");
    };
    EXPECT_THROW(ds->FieldByName("Name")->SetAsString(""), EDatabaseError);
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), "P1");
    ds->Cancel();

    ds->readOnly = true;
    try {
        ds->Edit();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "people: Cannot modify a read-only dataset");
    }
    EXPECT_FALSE(ds->FieldByName("Name")->CanModify());
}

TEST(DataSet, FieldDataLinkFollowsItsFieldAndWritesOnPost)
{
    auto ds = People(3);
    ds->Open();
    TDataSource source(nullptr);
    source.SetDataSet(ds.get());
    db::TFieldDataLink link;
    std::string shown;
    std::string typed;
    link.OnDataChange = [&](db::TFieldDataLink* l) { shown = l->Field() ? l->Field()->DisplayText() : ""; };
    link.OnUpdateData = [&](db::TFieldDataLink* l) { l->Field()->SetAsString(typed); };
    link.SetDataSource(&source);
    link.SetFieldName("Name");
    EXPECT_EQ(shown, "P1");
    ds->Next();
    EXPECT_EQ(shown, "P2");

    EXPECT_TRUE(link.Edit());  // AutoEdit puts the data set into edit mode
    EXPECT_TRUE(link.Editing());
    typed = "Typed";
    link.SetModified();
    ds->Post();  // the control's text is written before the post
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Typed");
    EXPECT_EQ(shown, "Typed");

    source.SetAutoEdit(false);
    EXPECT_FALSE(link.Edit());
    ds->Close();
    EXPECT_EQ(link.Field(), nullptr);
}

TEST(DataSet, FilterRecordEventHidesRecords)
{
    auto ds = People(6);
    ds->OnFilterRecord = [](TDataSet* d, bool& accept) { accept = d->FieldByName("ID")->AsInteger() % 2 == 0; };
    ds->SetFiltered(true);
    ds->Open();
    EXPECT_EQ(WalkIds(*ds), (std::vector<int>{2, 4, 6}));
}

TEST(DataSet, RecordFiltersAreAskedBesideFilteredAndRemovedByHandle)
{
    auto ds = People(8);
    ds->Open();
    ds->Next();
    int asked = 0;
    const TRecordFilterHandle even = ds->AddRecordFilter([&](TDataSet& d) {
        ++asked;
        return d.FieldByName("ID")->AsInteger() % 2 == 0;
    });
    EXPECT_NE(even, 0u);
    EXPECT_GT(asked, 0);
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 2);  // re-read from the first record
    EXPECT_EQ(WalkIds(*ds), (std::vector<int>{2, 4, 6, 8}));  // without Filtered set

    const TRecordFilterHandle small = ds->AddRecordFilter([](TDataSet& d) { return d.FieldByName("ID")->AsInteger() < 7; });
    EXPECT_NE(small, even);
    EXPECT_EQ(WalkIds(*ds), (std::vector<int>{2, 4, 6}));
    ds->OnFilterRecord = [](TDataSet* d, bool& accept) { accept = d->FieldByName("ID")->AsInteger() != 4; };
    EXPECT_EQ(WalkIds(*ds), (std::vector<int>{2, 4, 6}));  // OnFilterRecord only with Filtered
    ds->SetFiltered(true);
    EXPECT_EQ(WalkIds(*ds), (std::vector<int>{2, 6}));

    EXPECT_TRUE(ds->RemoveRecordFilter(even));
    EXPECT_FALSE(ds->RemoveRecordFilter(even));
    EXPECT_FALSE(ds->RemoveRecordFilter(0));
    EXPECT_EQ(WalkIds(*ds), (std::vector<int>{1, 2, 3, 5, 6}));
    EXPECT_TRUE(ds->RemoveRecordFilter(small));
    EXPECT_FALSE(ds->HasRecordFilters());
    ds->SetFiltered(false);
    EXPECT_EQ(WalkIds(*ds), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));

    // A filter that fails while the records are re-read is not installed.
    EXPECT_THROW(ds->AddRecordFilter([](TDataSet&) -> bool { throw EDatabaseError("broken"); }), EDatabaseError);
    EXPECT_FALSE(ds->HasRecordFilters());
    EXPECT_EQ(WalkIds(*ds), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    ds->CheckConsistency();

    // A filter that removes itself while asked: it answers for that record, the records
    // after it are not asked, and nothing is re-read meanwhile.
    TRecordFilterHandle once = 0;
    std::vector<int> askedFor;
    once = ds->AddRecordFilter([&](TDataSet& d) {
        if (once == 0) return true;  // asked while it is being installed
        askedFor.push_back(d.FieldByName("ID")->AsInteger());
        EXPECT_TRUE(d.RemoveRecordFilter(once));
        return false;
    });
    EXPECT_EQ(WalkIds(*ds), (std::vector<int>{2, 3, 4, 5, 6, 7, 8}));
    EXPECT_FALSE(ds->HasRecordFilters());
    EXPECT_EQ(askedFor, (std::vector<int>{1}));
    EXPECT_EQ(WalkIds(*ds), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
}

// Records what a descendant is told: the state it opens in, each time its records settle,
// and the step before a post.
class THookedDataSet : public TMemDataSet {
public:
    std::vector<std::string> log;

protected:
    void InternalOpen() override
    {
        log.push_back(State() == dsOpening && !Active() ? "opening" : "opening in another state");
        TMemDataSet::InternalOpen();
    }
    void RecordsSettled() override { log.push_back("settled"); }
    void DoBeforePost() override
    {
        TMemDataSet::DoBeforePost();
        log.push_back("checked");
    }
};

TEST(DataSet, DescendantsHearOfOpeningSettledRecordsAndTheStepBeforeAPost)
{
    using Log = std::vector<std::string>;
    THookedDataSet ds;
    ds.columns = {{"ID", ftInteger}};
    for (int i = 1; i <= 5; ++i) ds.AddRow({TVariant(i)});
    TDataSource source(nullptr);
    source.SetDataSet(&ds);
    std::vector<TDataSetState> seen;
    source.OnStateChange = [&](TDataSource* s) { seen.push_back(s->State()); };
    ds.AfterOpen = [&](TDataSet*) { ds.log.push_back("AfterOpen"); };
    ds.BeforePost = [&](TDataSet*) { ds.log.push_back("BeforePost"); };

    ds.Open();
    EXPECT_EQ(ds.log, (Log{"opening", "settled", "AfterOpen"}));
    EXPECT_EQ(seen, std::vector<TDataSetState>{dsBrowse});  // the links never see it opening

    const TBookmark third = [&] {
        ds.MoveBy(2);
        return ds.GetBookmark();
    }();
    struct Case {
        const char* name;
        std::function<void()> act;
    };
    const Case moves[] = {
        {"First", [&] { ds.First(); }},         {"Last", [&] { ds.Last(); }},
        {"Prior", [&] { ds.Prior(); }},         {"Next", [&] { ds.Next(); }},
        {"GotoBookmark", [&] { ds.GotoBookmark(third); }},
    };
    for (const Case& c : moves) {
        SCOPED_TRACE(c.name);
        ds.log.clear();
        c.act();
        EXPECT_EQ(ds.log, Log{"settled"});
    }
    ds.log.clear();
    ds.Edit();
    ds.Post();
    EXPECT_EQ(ds.log, (Log{"BeforePost", "checked", "settled"}));
}

TEST(DataSet, BlobStreamsReadAndWriteTheValue)
{
    TMemDataSet ds;
    ds.columns = {{"Notes", ftMemo}};
    ds.AddRow({TVariant("first line\r\nsecond line")});
    ds.Open();
    TField* notes = ds.FieldByName("Notes");
    EXPECT_TRUE(notes->IsBlob());
    {
        auto stream = ds.CreateBlobStream(notes, bmRead);
        EXPECT_EQ(stream->Size(), 23);
        stream->Seek(12, soBeginning);
        EXPECT_EQ(stream->ReadAll(), "second line");
        EXPECT_THROW(stream->Seek(-1, soBeginning), rtl::EStreamError);
    }
    EXPECT_THROW(ds.CreateBlobStream(notes, bmWrite), EDatabaseError);
    ds.Edit();
    {
        auto stream = ds.CreateBlobStream(notes, bmReadWrite);
        stream->Seek(0, soEnd);
        stream->Write("!", 1);
    }
    ds.Post();
    EXPECT_EQ(notes->AsString(), "first line\r\nsecond line!");
    ds.Edit();
    {
        auto stream = ds.CreateBlobStream(notes, bmWrite);  // writing starts from an empty value
        stream->Write("new", 3);
    }
    ds.Post();
    EXPECT_EQ(notes->AsString(), "new");
}

TEST(DataSet, ABlobStreamWhoseValueIsRefusedOnCloseSaysSoInTheLog)
{
    TMemDataSet ds;
    ds.columns = {{"Notes", ftMemo}};
    ds.AddRow({TVariant("kept")});
    ds.Open();
    TField* notes = ds.FieldByName("Notes");
    notes->OnValidate = [](TField*) { throw EDatabaseError("Notes may not change"); };
    ds.Edit();
    rtl::TLogCapture log;
    {
        auto stream = ds.CreateBlobStream(notes, bmWrite);
        stream->Write("lost", 4);
    }
    EXPECT_EQ(notes->AsString(), "kept");
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"TMemoryBlobStream: storing the written value: Notes may not change"}));
}

TEST(DataSet, DataSourceFollowsStateAndForgetsAFreedDataSet)
{
    auto ds = People(2);
    TDataSource source(nullptr);
    std::vector<TDataSetState> states;
    source.OnStateChange = [&](TDataSource* s) { states.push_back(s->State()); };
    source.SetDataSet(ds.get());
    ds->Open();
    ds->Edit();
    ds->Cancel();
    source.SetEnabled(false);
    EXPECT_EQ(source.State(), dsInactive);
    source.SetEnabled(true);
    EXPECT_EQ(states, (std::vector<TDataSetState>{dsBrowse, dsEdit, dsBrowse, dsInactive, dsBrowse}));
    TRecordingLink link;
    link.SetDataSource(&source);
    ds.reset();
    EXPECT_EQ(source.DataSet(), nullptr);
    EXPECT_FALSE(link.Active());
}

TEST(DataSet, OpenAndCloseEventsButNoneWhileBeingFreed)
{
    auto ds = People(2);
    std::vector<std::string> events;
    ds->BeforeOpen = [&](TDataSet* d) { events.push_back(d->Active() ? "BeforeOpen:active" : "BeforeOpen"); };
    ds->AfterOpen = [&](TDataSet* d) { events.push_back("AfterOpen:" + std::to_string(d->RecordCount())); };
    ds->AfterScroll = [&](TDataSet*) { events.push_back("AfterScroll"); };
    ds->BeforeClose = [&](TDataSet* d) { events.push_back(d->Active() ? "BeforeClose" : "BeforeClose:inactive"); };
    ds->AfterClose = [&](TDataSet* d) { events.push_back(d->Active() ? "AfterClose:active" : "AfterClose"); };
    ds->Open();
    ds->Open();  // already open: nothing
    ds->Close();
    ds->Open();
    EXPECT_EQ(events, (std::vector<std::string>{"BeforeOpen", "AfterOpen:2", "AfterScroll", "BeforeClose", "AfterClose",
                                                "BeforeOpen", "AfterOpen:2", "AfterScroll"}));
    events.clear();
    ds.reset();
    EXPECT_TRUE(events.empty());

    // A failing open leaves the data set closed.
    auto broken = People(1);
    broken->columns.push_back({"Odd", ftCursor});
    EXPECT_THROW(broken->Open(), EDatabaseError);
    EXPECT_FALSE(broken->Active());
    EXPECT_EQ(broken->FieldCount(), 0);
}

// Random moves and edits against a plain list of the expected ids: after each step the
// record window must hold together and the current record must be the one the list says.
TEST(DataSet, RandomWalksAndEditsKeepTheRecordWindowConsistent)
{
    auto ds = People(12);
    TDataSource source(nullptr);
    source.SetDataSet(ds.get());
    TRecordingLink grid;
    grid.SetDataSource(&source);
    grid.SetBufferCount(5);
    ds->Open();
    std::vector<int> model{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    std::mt19937 random(20261210);
    int nextId = 100;
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int step = 0; step < 3000; ++step) {
        const int op = pick(10);
        SCOPED_TRACE("step " + std::to_string(step) + " op " + std::to_string(op));
        const int before = ds->IsEmpty() ? -1 : ds->RecNo() - 1;
        int expected = before;  // index into the model of the record that should be current
        switch (op) {
        case 0: ds->First(); expected = model.empty() ? -1 : 0; break;
        case 1: ds->Last(); expected = static_cast<int>(model.size()) - 1; break;
        case 2:
        case 3: {
            const int by = pick(9) - 4;
            ds->MoveBy(by);
            if (!model.empty()) expected = std::clamp(before + by, 0, static_cast<int>(model.size()) - 1);
            break;
        }
        case 4: {  // insert before the current record, or append
            const bool append = pick(2) == 0;
            if (append) ds->Append(); else ds->Insert();
            ds->FieldByName("ID")->SetAsInteger(nextId);
            ds->FieldByName("Name")->SetAsString("N" + std::to_string(nextId));
            ds->Post();
            const int at = append || before < 0 ? static_cast<int>(model.size()) : before;
            model.insert(model.begin() + at, nextId++);
            expected = at;
            break;
        }
        case 5:
            if (model.empty()) break;
            ds->Edit();
            ds->FieldByName("Name")->SetAsString("edited");
            if (pick(2) == 0) ds->Post(); else ds->Cancel();
            break;
        case 6:
            if (model.empty()) break;
            ds->Delete();
            model.erase(model.begin() + before);
            expected = model.empty() ? -1 : std::min(before, static_cast<int>(model.size()) - 1);
            break;
        case 7: {
            if (model.empty()) break;
            const int target = pick(static_cast<int>(model.size()));
            ASSERT_TRUE(ds->Locate("ID", TVariant(model[static_cast<std::size_t>(target)])));
            expected = target;
            break;
        }
        case 8: {
            if (model.empty()) break;
            const TBookmark mark = ds->GetBookmark();
            ds->MoveBy(pick(7) - 3);
            ds->GotoBookmark(mark);
            break;
        }
        case 9: grid.SetBufferCount(1 + pick(8)); break;
        }
        ASSERT_NO_THROW(ds->CheckConsistency());
        ASSERT_EQ(ds->RecordCount(), static_cast<int>(model.size()));
        if (expected >= 0) {
            ASSERT_EQ(ds->FieldByName("ID")->AsInteger(), model[static_cast<std::size_t>(expected)]);
        }
    }
    EXPECT_EQ(WalkIds(*ds), model);
    ds->CheckConsistency();
}

// A calculated field keeps the value its record was given when read, wherever the record
// buffers move; it is written while calculating or editing, never in browse mode, and never
// marks the record modified.
TEST(DataSet, CalculatedFieldsHoldTheValueOfTheirRecord)
{
    auto ds = People(40);
    auto* id = new TIntegerField(ds.get());
    id->SetFieldName("ID");
    id->SetDataSet(ds.get());
    auto* label = new TStringField(ds.get());
    label->SetFieldName("Label");
    label->SetFieldKind(fkCalculated);
    label->SetDataSet(ds.get());
    std::vector<TDataSetState> states;
    ds->OnCalcFields = [&](TDataSet* d) {
        states.push_back(d->State());
        d->FieldByName("Label")->SetAsString("#" + d->FieldByName("ID")->AsString());
    };
    TDataSource source(nullptr);
    source.SetDataSet(ds.get());
    TRecordingLink link;
    link.SetBufferCount(7);  // a window of records that moves as the cursor does
    link.SetDataSource(&source);
    ds->Open();
    for (ds->First(); !ds->Eof(); ds->Next()) EXPECT_EQ(label->AsString(), "#" + id->AsString());
    for (ds->Last(); !ds->Bof(); ds->MoveBy(-3)) EXPECT_EQ(label->AsString(), "#" + id->AsString());
    ASSERT_FALSE(states.empty());
    EXPECT_TRUE(std::all_of(states.begin(), states.end(), [](TDataSetState s) { return s == dsCalcFields; }));
    EXPECT_EQ(ds->State(), dsBrowse);

    EXPECT_THROW(label->SetAsString("x"), EDatabaseError);  // browsing
    ds->Edit();
    label->SetAsString("edited");
    EXPECT_EQ(label->AsString(), "edited");
    EXPECT_FALSE(ds->Modified());
    ds->Cancel();
    EXPECT_EQ(label->AsString(), "#" + id->AsString());  // read again
}
