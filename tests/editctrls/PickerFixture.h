#pragma once
// A form on the recording window system (7-pixel characters, fonts 13 high) holding one
// date-time picker at (10, 10), 160 x 21: the fixture the picker tests start from.

#include <gtest/gtest.h>

#include <memory>

#include "editctrls/gkDBDateTimePicker.h"
#include "platform/ui/Forms.h"
#include "tests/grid/GridTestSupport.h"

namespace pickertest {

class TPickerForm : public ::testing::Test {
public:
    void SetUp() override
    {
        ui::Application().Reset();
        form = std::make_unique<ui::TForm>(nullptr);
        form->SetBounds(0, 0, 400, 300);
        picker = new editctrls::TgkDBDateTimePicker(form.get());
        picker->SetParent(form.get());
        picker->SetBounds(10, 10, 160, 21);
    }
    void TearDown() override { form.reset(); }

    gridtest::TFakeWindowSystem ws;
    std::unique_ptr<ui::TForm> form;
    editctrls::TgkDBDateTimePicker* picker = nullptr;
};

}  // namespace pickertest
