#pragma once
// Fonts as components publish them: a sub-object written dotted ("Font.Color = clRed").

#include <functional>
#include <string>

#include "platform/classes/Persistent.h"
#include "platform/rtl/Colors.h"

namespace classes {

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
const TEnumInfo& FontStyleInfo();

class TFont : public TPersistent {
    GW_CLASS(TFont)

public:
    static constexpr const char* kDefaultName = "Sans Serif";
    static constexpr int kDefaultSize = 8;

    TFont() = default;

    rtl::TColor Color() const noexcept { return color_; }
    void SetColor(rtl::TColor color);
    const std::string& Name() const noexcept { return name_; }
    void SetName(const std::string& name);
    // In points.
    int Size() const noexcept { return size_; }
    void SetSize(int size);
    TFontStyles Style() const noexcept { return style_; }
    void SetStyle(TFontStyles style);

    // Copies another font.
    void Assign(const TPersistent& source) override;

    // Fired after every change (the owner repaints).
    std::function<void(TFont&)> OnChange;

private:
    void Changed();

    rtl::TColor color_ = rtl::clWindowText;
    std::string name_ = kDefaultName;
    int size_ = kDefaultSize;
    TFontStyles style_;
};

}  // namespace classes
