#pragma once
// What every test of the design window stands on: a program folder of its own in a temporary
// folder (colour schemes and layout styles copied from the build's share/), the classes the
// stored form names registered, an MDI frame for the window to be a child of, a design host
// pointing into that folder, and scripted dialogs that fail the test on a question nobody
// expected. Open() makes the window, bound to a connection as the program binds it.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "designer/FDesign.h"
#include "platform/db/AdoConnection.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/DbClasses.h"
#include "platform/ui/Forms.h"
#include "platform/ui/testing/TestDialogs.h"
#include "vquery/VQuery.h"

namespace designer::test_support {

inline const std::string kShare = std::string(GW_BINARY_DIR) + "/share";

class DesignWindowFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        namespace fs = std::filesystem;
        ASSERT_TRUE(dir_.isValid());
        root_ = dir_.path().toStdString();
        setenv("GRIDWEAVER_HOME", root_.c_str(), 1);
        for (const char* sub : {"ColorSchemes", "LayoutStyles"})
            fs::copy(kShare + "/" + sub, root_ + "/" + sub, fs::copy_options::recursive);
        fs::create_directories(root_ + "/Data");
        fs::create_directories(root_ + "/Temp");
        ui::Application().Reset();
        ui::RegisterUiClasses();
        db::RegisterDbClasses();
        RegisterDesignClasses();
        // The design window is an MDI child: it needs a frame.
        frame_ = new ui::TForm(&ui::Application());
        frame_->SetFormStyle(ui::fsMDIForm);
        ui::Application().SetMainForm(frame_);
        host_.appDir = root_ + "/";
        host_.dataDir = root_ + "/Data";
        host_.layoutStylesDir = root_ + "/LayoutStyles";
        host_.tempHtmlFile = root_ + "/Temp/Temp.html";
    }
    void TearDown() override
    {
        for (const std::string& u : dialogs_.Unexpected()) ADD_FAILURE() << "unexpected: " << u;
        delete w_;
        w_ = nullptr;
        ui::Application().Reset();
        unsetenv("GRIDWEAVER_HOME");
    }
    // The window on `conn` as the program binds it (nullptr: no connection).
    TFrmDesign& Open(db::TADOConnection* conn)
    {
        w_ = new TFrmDesign(nullptr, host_);
        if (conn != nullptr) {
            w_->Query()->SetConnection(conn);
            auto* vq = w_->C<vquery::TmfVQuery>("VisualQuery");
            vq->SetADOConnection(conn);
            vq->SetupADOInfo();
        }
        return *w_;
    }

    QTemporaryDir dir_;
    std::string root_;
    TDesignHost host_;
    ui::TScriptedDialogs dialogs_;
    ui::TDialogServiceScope scope_{dialogs_};
    TFrmDesign* w_ = nullptr;
    ui::TForm* frame_ = nullptr;
};

}  // namespace designer::test_support
