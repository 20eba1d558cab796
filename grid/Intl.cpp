#include "grid/Intl.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Errors.h"
#include "platform/ui/Screen.h"

#include <string>
#include <type_traits>
#include <variant>

namespace grid {

namespace {

// The class whose properties a publisher publishes.
template <class P>
struct PublishedClass;
template <class C>
struct PublishedClass<classes::TPublisher<C>> {
    using type = C;
};

// Published members with the default that the class's own initialiser gives them.
template <class C>
void PublishText(classes::TPublisher<C>& p, const char* name, std::string C::*field)
{
    p.String(
        name, [field](const C& o) -> const std::string& { return o.*field; },
        [field](C& o, const std::string& v) { o.*field = v; }, C().*field);
}

template <class C>
void PublishBoolean(classes::TPublisher<C>& p, const char* name, bool C::*field)
{
    p.Boolean(
        name, [field](const C& o) { return o.*field; }, [field](C& o, bool v) { o.*field = v; },
        C().*field);
}

template <class C>
void PublishInteger(classes::TPublisher<C>& p, const char* name, int C::*field)
{
    p.Integer(
        name, [field](const C& o) { return o.*field; }, [field](C& o, int v) { o.*field = v; },
        C().*field);
}

template <class C, class G>
void PublishGroup(classes::TPublisher<C>& p, const char* name, G C::*field)
{
    p.Object(name, [field](const C& o) { return &(o.*field); });
}

#define GK_SELF PublishedClass<std::remove_reference_t<decltype(p)>>::type
#define GK_TEXT(F) PublishText(p, #F, &GK_SELF::F)
#define GK_BOOLEAN(F) PublishBoolean(p, #F, &GK_SELF::F)
#define GK_INTEGER(F) PublishInteger(p, #F, &GK_SELF::F)
#define GK_GROUP(F) PublishGroup(p, #F, &GK_SELF::F)

// Copies the published texts of `from` into `to` (an object of the same class), nested
// groups included; other settings stay.
void CopyTexts(const classes::TPersistent& from, classes::TPersistent& to)
{
    for (const classes::TPropInfo* prop : from.ClassInfo().Properties()) {
        if (prop->Kind() == classes::TPropKind::String) {
            prop->Set(to, prop->Get(from));
        } else if (prop->Kind() == classes::TPropKind::Object) {
            auto* source = std::get<classes::TPersistent*>(prop->Get(from));
            auto* target = std::get<classes::TPersistent*>(prop->Get(to));
            if (source && target) CopyTexts(*source, *target);
        }
    }
}

}  // namespace

const classes::TEnumInfo& CheckBoxInGridStyleInfo()
{
    static const classes::TEnumInfo info{
        "TgkCheckBoxInGridStyle",
        {"cbStyleAuto", "cbStyleCheckmark", "cbStyleXmark", "cbStyleCheckmarkFlat"}};
    return info;
}

// ---- Groups ------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkIntlGroup, classes::TPersistent) {}

void TgkIntlGroup::Assign(const classes::TPersistent& source)
{
    if (&source.ClassInfo() != &ClassInfo()) {
        TPersistent::Assign(source);
        return;
    }
    for (const classes::TPropInfo* prop : ClassInfo().Properties()) prop->Set(*this, prop->Get(source));
}

GW_IMPLEMENT_CLASS(TgkADOIntl, TgkIntlGroup)
{
    GK_BOOLEAN(UseLocateWhenFindingValue);
}

GW_IMPLEMENT_CLASS(TgkDBNavigatorIntlHints, TgkIntlGroup)
{
    GK_TEXT(FirstHint);
    GK_TEXT(PriorHint);
    GK_TEXT(NextHint);
    GK_TEXT(LastHint);
    GK_TEXT(InsertHint);
    GK_TEXT(DeleteHint);
    GK_TEXT(EditHint);
    GK_TEXT(PostHint);
    GK_TEXT(CancelHint);
    GK_TEXT(RefreshHint);
    GK_TEXT(PriorPageHint);
    GK_TEXT(NextPageHint);
    GK_TEXT(SaveBookmarkHint);
    GK_TEXT(RestoreBookmarkHint);
    GK_TEXT(RecordViewDialogHint);
    GK_TEXT(LocateDialogHint);
    GK_TEXT(FilterDialogHint);
    GK_TEXT(SearchDialogHint);
}

GW_IMPLEMENT_CLASS(TgkDBNavigatorIntl, TgkIntlGroup)
{
    GK_TEXT(ConfirmDeleteMessage);
    GK_GROUP(Hints);
}

GW_IMPLEMENT_CLASS(TgkSearchDialogIntl, TgkIntlGroup)
{
    GK_TEXT(SearchCharLabel);
    GK_TEXT(SearchCharShortLabel);
    GK_TEXT(SearchByLabel);
    GK_TEXT(StatusRecLabel);
    GK_TEXT(StatusOfLabel);
    GK_TEXT(SearchCharHint);
    GK_TEXT(SearchByHint);
}

GW_IMPLEMENT_CLASS(TgkLocateDialogIntl, TgkIntlGroup)
{
    GK_TEXT(FieldValueLabel);
    GK_TEXT(SearchTypeLabel);
    GK_TEXT(CaseSensitiveLabel);
    GK_TEXT(MatchExactLabel);
    GK_TEXT(MatchStartLabel);
    GK_TEXT(MatchAnyLabel);
    GK_TEXT(FieldsLabel);
    GK_TEXT(BtnFirst);
    GK_TEXT(BtnNext);
    GK_TEXT(BtnCancel);
    GK_TEXT(BtnClose);
    GK_TEXT(FieldValueHint);
    GK_TEXT(CaseSensitiveHint);
    GK_TEXT(MatchExactHint);
    GK_TEXT(MatchStartHint);
    GK_TEXT(MatchAnyHint);
    GK_TEXT(BtnFirstHint);
    GK_TEXT(BtnNextHint);
    GK_TEXT(FieldNameHint);
}

GW_IMPLEMENT_CLASS(TgkMonthCalendarIntl, TgkIntlGroup)
{
    GK_TEXT(PopupYearLabel);
    GK_TEXT(EnterYearPrompt);
}

GW_IMPLEMENT_CLASS(TgkFilterDialogIntl, TgkIntlGroup)
{
    GK_TEXT(BtnViewSummary);
    GK_TEXT(BtnViewSummaryHint);
    GK_TEXT(ViewSummaryNotText);
    GK_TEXT(BtnNewSearch);
    GK_TEXT(BtnNewSearchHint);
    GK_TEXT(FieldOrderLabel);
    GK_TEXT(FieldOrderHint);
    GK_TEXT(AlphabeticLabel);
    GK_TEXT(LogicalLabel);
    GK_TEXT(AllFieldsLabel);
    GK_TEXT(SearchedFieldsLabel);
    GK_TEXT(StartingRangeLabel);
    GK_TEXT(EndingRangeLabel);
    GK_TEXT(StartingRangeHint);
    GK_TEXT(EndingRangeHint);
    GK_TEXT(BtnClearMin);
    GK_TEXT(BtnClearMax);
    GK_TEXT(BtnClearFilterValue);
    GK_TEXT(BtnClearMinHint);
    GK_TEXT(BtnClearMaxHint);
    GK_TEXT(BtnClearFilterValueHint);
    GK_TEXT(ByValueLabel);
    GK_TEXT(ByRangeLabel);
    GK_TEXT(FieldValueLabel);
    GK_TEXT(FieldValueHint);
    GK_TEXT(SearchTypeLabel);
    GK_TEXT(SearchTypeHint);
    GK_TEXT(MatchExactLabel);
    GK_TEXT(MatchStartLabel);
    GK_TEXT(MatchAnyLabel);
    GK_TEXT(CaseSensitiveLabel);
    GK_TEXT(CaseSensitiveHint);
    GK_TEXT(NonMatchingLabel);
    GK_TEXT(NonMatchingHint);
    GK_TEXT(SummaryFieldLabel);
    GK_TEXT(SummarySearchLabel);
    GK_TEXT(SummaryValueLabel);
    GK_TEXT(SummaryCaption);
    GK_TEXT(FieldsLabel);
    GK_TEXT(ValueRangeTabHint);
    GK_TEXT(AllSearchedTabHint);
}

GW_IMPLEMENT_CLASS(TgkUserMessagesIntl, TgkIntlGroup)
{
    GK_TEXT(gkDBGridDiscardChanges);
    GK_TEXT(PictureValidateError);
    GK_TEXT(LocateNoMatches);
    GK_TEXT(LocateNoMoreMatches);
    GK_TEXT(MemoChangesWarning);
    GK_TEXT(RichEditExitWarning);
    GK_TEXT(RecordViewExitWarning);
    GK_TEXT(RichEditClearWarning);
    GK_TEXT(RichEditSpellCheckComplete);
    GK_TEXT(RichEditMSWordNotFound);
    GK_TEXT(FilterDlgNoCriteria);
}

GW_IMPLEMENT_CLASS(TgkRichEditMenuLabelsIntl, TgkIntlGroup)
{
    GK_TEXT(FileCaption);
    GK_TEXT(LoadCaption);
    GK_TEXT(SaveAsCaption);
    GK_TEXT(SaveAndExitCaption);
    GK_TEXT(PrintCaption);
    GK_TEXT(PageSetupCaption);
    GK_TEXT(ExitCaption);
    GK_TEXT(EditCaption);
    GK_TEXT(UndoCaption);
    GK_TEXT(RedoCaption);
    GK_TEXT(CutCaption);
    GK_TEXT(CopyCaption);
    GK_TEXT(PasteCaption);
    GK_TEXT(ClearCaption);
    GK_TEXT(SelectAllCaption);
    GK_TEXT(FindCaption);
    GK_TEXT(FindNextCaption);
    GK_TEXT(ReplaceCaption);
    GK_TEXT(InsertObjectCaption);
    GK_TEXT(SpellCheckCaption);
    GK_TEXT(InsertCaption);
    GK_TEXT(RulerCaption);
    GK_TEXT(ViewCaption);
    GK_TEXT(ToolbarCaption);
    GK_TEXT(FormatBarCaption);
    GK_TEXT(StatusBarCaption);
    GK_TEXT(OptionsCaption);
    GK_TEXT(FormatCaption);
    GK_TEXT(FontCaption);
    GK_TEXT(BulletStyleCaption);
    GK_TEXT(ParagraphCaption);
    GK_TEXT(TabsCaption);
    GK_TEXT(ToolsCaption);
    GK_TEXT(HelpCaption);
}

GW_IMPLEMENT_CLASS(TgkRichEditPopupMenuLabelsIntl, TgkIntlGroup)
{
    GK_TEXT(EditCaption);
    GK_TEXT(ViewCaption);
    GK_TEXT(CutCaption);
    GK_TEXT(CopyCaption);
    GK_TEXT(PasteCaption);
    GK_TEXT(FontCaption);
    GK_TEXT(BulletStyleCaption);
    GK_TEXT(BoldCaption);
    GK_TEXT(ItalicCaption);
    GK_TEXT(UnderlineCaption);
    GK_TEXT(ParagraphCaption);
    GK_TEXT(TabsCaption);
    GK_TEXT(FindCaption);
    GK_TEXT(ReplaceCaption);
    GK_TEXT(InsertObjectCaption);
    GK_TEXT(ObjectPropertiesCaption);
    GK_TEXT(SpellCheckCaption);
}

GW_IMPLEMENT_CLASS(TgkRichEditParagraphDialogIntl, TgkIntlGroup)
{
    GK_TEXT(ParagraphDlgCaption);
    GK_TEXT(IndentationGroupBoxCaption);
    GK_TEXT(LeftEditCaption);
    GK_TEXT(RightEditCaption);
    GK_TEXT(FirstLineEditCaption);
    GK_TEXT(AlignmentCaption);
    GK_TEXT(SpacingGroupCaption);
    GK_TEXT(BeforeParagraphCaption);
    GK_TEXT(AfterParagraphCaption);
    GK_TEXT(WithinParagraphCaption);
    GK_TEXT(WithinParagraphAtCaption);
    GK_TEXT(LeftEditHint);
    GK_TEXT(RightEditHint);
    GK_TEXT(FirstLineEditHint);
    GK_TEXT(AlignmentHint);
    GK_TEXT(AlignLeft);
    GK_TEXT(AlignRight);
    GK_TEXT(AlignCenter);
    GK_TEXT(AlignJustify);
    GK_TEXT(SpacingSingle);
    GK_TEXT(Spacing1_5);
    GK_TEXT(SpacingDouble);
    GK_TEXT(SpacingAtLeast);
    GK_TEXT(SpacingExactly);
    GK_TEXT(SpacingMultiple);
    GK_INTEGER(HelpContext);
}

GW_IMPLEMENT_CLASS(TgkRichEditTabDialogIntl, TgkIntlGroup)
{
    GK_TEXT(TabDlgCaption);
    GK_TEXT(TabGroupBoxCaption);
    GK_TEXT(SetTabButtonCaption);
    GK_TEXT(ClearTabButtonCaption);
    GK_TEXT(ClearAllButtonCaption);
    GK_TEXT(TabPositionEditHint);
    GK_TEXT(ListBoxHint);
    GK_TEXT(SetButtonHint);
    GK_TEXT(ClearButtonHint);
    GK_TEXT(ClearAllButtonHint);
    GK_INTEGER(HelpContext);
}

GW_IMPLEMENT_CLASS(TgkDBRichEditIntl, TgkIntlGroup)
{
    GK_TEXT(FontNameComboHint);
    GK_TEXT(FontSizeComboHint);
    GK_TEXT(NewButtonHint);
    GK_TEXT(LoadButtonHint);
    GK_TEXT(SaveAsButtonHint);
    GK_TEXT(PrintButtonHint);
    GK_TEXT(FindButtonHint);
    GK_TEXT(CutButtonHint);
    GK_TEXT(CopyButtonHint);
    GK_TEXT(UndoButtonHint);
    GK_TEXT(RedoButtonHint);
    GK_TEXT(PasteButtonHint);
    GK_TEXT(BoldButtonHint);
    GK_TEXT(ColorButtonHint);
    GK_TEXT(UnderlineButtonHint);
    GK_TEXT(ItalicButtonHint);
    GK_TEXT(LeftButtonHint);
    GK_TEXT(CenterButtonHint);
    GK_TEXT(RightButtonHint);
    GK_TEXT(JustifyButtonHint);
    GK_TEXT(BulletButtonHint);
    GK_TEXT(HighlightButtonHint);
    GK_TEXT(SaveExitHint);
    GK_TEXT(PageSetupHint);
    GK_TEXT(ExitHint);
    GK_TEXT(ClearHint);
    GK_TEXT(SelectAllHint);
    GK_TEXT(FindNextHint);
    GK_TEXT(ReplaceHint);
    GK_TEXT(InsertObjectHint);
    GK_TEXT(SpellCheckHint);
    GK_TEXT(ToolbarHint);
    GK_TEXT(FormatBarHint);
    GK_TEXT(ViewStatusBarHint);
    GK_TEXT(OptionsHint);
    GK_TEXT(FontHint);
    GK_TEXT(ParagraphHint);
    GK_TEXT(TabsHint);
    GK_TEXT(CAPLockCaption);
    GK_TEXT(NUMLockCaption);
    GK_GROUP(MenuLabels);
    GK_GROUP(PopupMenuLabels);
    GK_GROUP(ParagraphDialog);
    GK_GROUP(TabDialog);
}

// ---- TgkIntl -----------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkIntl, classes::TComponent)
{
    GK_GROUP(ADO);
    GK_GROUP(Navigator);
    GK_GROUP(SearchDialog);
    GK_GROUP(LocateDialog);
    GK_GROUP(MonthCalendar);
    GK_GROUP(FilterDialog);
    GK_GROUP(UserMessages);
    GK_GROUP(RichEdit);
    GK_BOOLEAN(OKCancelBitmapped);
    GK_TEXT(BtnOKCaption);
    GK_TEXT(BtnCancelCaption);
    p.Enumeration("CheckBoxInGridStyle", CheckBoxInGridStyleInfo(), &TgkIntl::CheckBoxInGridStyle,
                  &TgkIntl::SetCheckBoxInGridStyle, cbStyleAuto);
    p.String("LibraryVersion", &TgkIntl::LibraryVersion, &TgkIntl::SetLibraryVersion, "2.0.1");
    GK_INTEGER(FilterMemoSize);
    GK_TEXT(IniFileName);
    GK_BOOLEAN(UseLocateMethodForSearch);
    p.Set(
        "DialogFontStyle", classes::FontStyleInfo(),
        [](const TgkIntl& o) { return o.DialogFontStyle; },
        [](TgkIntl& o, classes::TFontStyles v) { o.DialogFontStyle = v; });
    // Refused outside the years a date can hold, so that a stored form cannot set an epoch
    // that date scanning would have to bend.
    p.Integer(
        "DefaultEpochYear", [](const TgkIntl& o) { return o.DefaultEpochYear; },
        [](TgkIntl& o, int v) {
            if (v < 1 || v > 9999)
                throw classes::EPropertyError("DefaultEpochYear must be a year from 1 to 9999, not " +
                                              std::to_string(v));
            o.DefaultEpochYear = v;
        },
        1950);
    p.Event("OnValidationErrorUsingMask", &TgkIntl::OnValidationErrorUsingMask);
    p.Boolean("Connected", &TgkIntl::Connected, &TgkIntl::SetConnected, false);
}

TgkIntl& gkIntlDefault()
{
    static TgkIntl instance{TgkIntl::DefaultTag{}};
    return instance;
}

void RegisterIntlClasses()
{
    classes::RegisterClasses<TgkIntl>();
}

void TgkIntl::SetCheckBoxInGridStyle(TgkCheckBoxInGridStyle value)
{
    checkBoxInGridStyle_ = value;
    if (connected_ && !isDefault_) gkIntlDefault().checkBoxInGridStyle_ = value;
}

void TgkIntl::SetConnected(bool value)
{
    connected_ = value;
    // While loading, Loaded copies once every property has been read.
    if (connected_ && !ComponentState().Contains(classes::csLoading)) CopyToDefault();
}

void TgkIntl::Loaded()
{
    TComponent::Loaded();
    if (connected_) CopyToDefault();
}

void TgkIntl::CopyToDefault()
{
    if (isDefault_) return;
    TgkIntl& target = gkIntlDefault();

    CopyTexts(ADO, target.ADO);
    CopyTexts(Navigator, target.Navigator);
    CopyTexts(SearchDialog, target.SearchDialog);
    CopyTexts(LocateDialog, target.LocateDialog);
    CopyTexts(MonthCalendar, target.MonthCalendar);
    CopyTexts(FilterDialog, target.FilterDialog);
    CopyTexts(UserMessages, target.UserMessages);
    CopyTexts(RichEdit, target.RichEdit);

    target.BtnOKCaption = BtnOKCaption;
    target.BtnCancelCaption = BtnCancelCaption;
    target.SetCheckBoxInGridStyle(checkBoxInGridStyle_);
    target.OnValidationErrorUsingMask = OnValidationErrorUsingMask;
    target.DialogFontStyle = DialogFontStyle;
    target.UseLocateMethodForSearch = UseLocateMethodForSearch;
    target.DefaultEpochYear = DefaultEpochYear;
    target.FilterMemoSize = FilterMemoSize;

    // A connected object names the settings file without its extension.
    if (IniFileName.empty() || IniFileName == ".ini")
        target.IniFileName.clear();
    else
        target.IniFileName = IniFileName + ".ini";
}

void TgkIntl::ValidationErrorUsingMask(classes::TComponent* control, db::TField* field)
{
    std::string message = "Invalid input value.  Use escape key to abandon changes";
    bool showError = true;
    OnValidationErrorUsingMask(control, field, showError, message);
    if (showError) {
        ui::Beep();
        throw EInvalidOperation(message);
    }
}

}  // namespace grid
