#pragma once
// TgkGridState: the private state of a TgkCustomDBGrid behind its facade: the stored
// property values, the row model (title and indicator offsets, the record offset), the
// re-entrancy locks, the column list and cell-control cache, and the data link. Only the grid
// and its parts (layout, painter, mouse, keyboard, cell hints, the data link) include this
// header; everyone else goes through the grid's published members.

#include <memory>
#include <string>
#include <vector>

#include "grid/DBGrid.h"

namespace grid {

struct TgkGridState {
    explicit TgkGridState(TgkCustomDBGrid* grid) : lineColors(grid) {}

    TgkDBGridOptions options = kDefaultDBGridOptions;
    TgkDBGridKeyOptions keyOptions{dgAllowDelete, dgAllowInsert};
    TgkMultiSelectOptions multiSelectOptions;
    TgkEditControlOptions editControlOptions{ecoSearchOwnerForm};
    bool readOnly = false;
    bool defaultDrawing = true;
    bool editCalculated = false;
    bool useTFields = true;
    rtl::TStringList selected;
    rtl::TStringList controlType;
    bool controlInfoInDataset = true;
    rtl::TStringList pictureMasks;
    bool pictureMaskFromDataSet = true;
    rtl::TColor titleColor = rtl::clBtnFace;
    classes::TFont titleFont;
    bool titleFontSync = false;
    classes::TAlignment titleAlignment = classes::taLeftJustify;
    int titleLines = 1;
    bool titleButtons = false;
    int rowHeightPercent = 100;
    int savedRowHeightPercent = 100;
    bool showHorzScrollBar = true;
    bool showVertScrollBar = true;
    TIndicatorColorType indicatorColor = icBlack;
    rtl::TColor indicatorIconColor = rtl::clBlack;
    ui::TControl* indicatorButton = nullptr;
    TgkGridLineStyle lineStyle = glsDynamic;
    TgkGridLineColors lineColors;
    bool hideAllLines = false;
    rtl::TColor footerColor = rtl::clBtnFace;
    rtl::TColor footerCellColor = rtl::clBtnFace;
    int footerHeight = 0;
    ui::TImageList* imageList = nullptr;
    ui::TImageList* titleImageList = nullptr;
    int dragVertOffset = 15;
    TgkPadColumnStyle padColumnStyle = pcsPadHeaderAndData;
    int updateLock = 0;
    int layoutLock = 0;
    int redrawLock = 0;
    bool rowCountLock = false;
    int titleOffset = 1;
    int indicatorOffset = 1;
    int indicatorWidth = 11;
    int selectedRow = -1;
    int titleTextTop = 2;
    int lastCol = -1;
    int recordOffset = 0;
    bool alternatingParity = false;
    bool colEnterPending = false;
    bool footerUpdatePending = false;
    bool cellChangedSuppressed = false;
    bool hasFocus = false;
    bool brushChanged = false;
    bool suppressHideHook = false;
    bool inColExit = false;
    std::string editText;
    db::TBookmark rowBookmark;
    bool rowBookmarkKept = false;
    db::TBookmark footerBookmark;
    std::unique_ptr<TgkGridDataLink> dataLink;
    ui::TWinControl* placedControl = nullptr;
    std::vector<std::unique_ptr<TgkColumn>> columns;
    std::unique_ptr<TgkColumn> spareColumn;
    std::vector<TgkCacheColInfoItem> colInfoCache;
    std::unique_ptr<TgkGridPaintOptions> paintOptions;
};

}  // namespace grid
