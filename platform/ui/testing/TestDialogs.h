#pragma once
// A dialog service for tests: every question is recorded, and answered from a queue of
// answers given in advance. A question whose answer is not the next one queued is recorded
// as unexpected and answered "cancel", so a test sees it instead of hanging on a window.
//
//     ui::TScriptedDialogs dialogs;
//     ui::TDialogServiceScope scope(dialogs);
//     dialogs.AnswerMessage(ui::mrYes);
//     ... code that asks ...
//     EXPECT_TRUE(dialogs.Unexpected().empty());
//     EXPECT_EQ(dialogs.Asked().at(0).message.text, "Save changes?");

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"

namespace ui {

class TScriptedDialogs : public IDialogService {
public:
    enum class TKind { Message, Input, File, Color, Font, Modal };

    struct TQuestion {
        TKind kind = TKind::Message;
        TMessageRequest message;             // Message
        std::string caption;                 // Input: caption; Modal: the form's caption
        std::string prompt;                  // Input
        std::string value;                   // Input: the value offered
        TFileDialogRequest file;             // File (as asked)
        rtl::TColor color = 0;               // Color: the colour offered
        std::string formName;                // Modal: the form's name
    };

    // ---- Answers, used in the order given ----------------------------------------------
    void AnswerMessage(TModalResult result) { Queue(TKind::Message, [result](Ctx&) { return result; }); }
    // nullopt: Cancel.
    void AnswerInput(std::optional<std::string> value)
    {
        Queue(TKind::Input, [value](Ctx& c) {
            if (!value) return 0;
            *c.text = *value;
            return 1;
        });
    }
    // nullopt: Cancel. `filterIndex` 0 keeps the filter offered. A relative name is
    // taken as it is.
    void AnswerFile(std::optional<std::string> fileName, int filterIndex = 0)
    {
        Queue(TKind::File, [fileName, filterIndex](Ctx& c) {
            if (!fileName) return 0;
            c.file->files = {*fileName};
            if (filterIndex > 0) c.file->filterIndex = filterIndex;
            return 1;
        });
    }
    void AnswerFiles(std::vector<std::string> fileNames)
    {
        Queue(TKind::File, [fileNames](Ctx& c) {
            c.file->files = fileNames;
            return fileNames.empty() ? 0 : 1;
        });
    }
    void AnswerColor(std::optional<rtl::TColor> color)
    {
        Queue(TKind::Color, [color](Ctx& c) {
            if (!color) return 0;
            *c.color = *color;
            return 1;
        });
    }
    // `choose` edits the font offered and answers true for OK.
    void AnswerFont(std::function<bool(classes::TFont&)> choose)
    {
        Queue(TKind::Font, [choose](Ctx& c) { return choose(*c.font) ? 1 : 0; });
    }
    // `answer` gets the form while it is shown modally: it may set controls and click
    // buttons; it answers the modal result (mrNone: whatever its clicks set, else Cancel).
    void AnswerModal(std::function<TModalResult(TCustomForm&)> answer)
    {
        Queue(TKind::Modal, [answer](Ctx& c) { return answer(*c.form); });
    }

    const std::vector<TQuestion>& Asked() const noexcept { return asked_; }
    // Questions that found no matching answer, as "<kind>: <caption/text>".
    const std::vector<std::string>& Unexpected() const noexcept { return unexpected_; }
    std::size_t PendingAnswers() const noexcept { return answers_.size(); }

    // ---- IDialogService ------------------------------------------------------------------
    int Message(const TMessageRequest& request) override
    {
        TQuestion q;
        q.kind = TKind::Message;
        q.message = request;
        Ctx c;
        return Ask(q, c, "message: " + request.text, mrCancel);
    }

    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override
    {
        TQuestion q;
        q.kind = TKind::Input;
        q.caption = caption;
        q.prompt = prompt;
        q.value = value;
        std::string text = value;
        Ctx c;
        c.text = &text;
        if (Ask(q, c, "input: " + prompt, 0) == 0) return false;
        value = text;
        return true;
    }

    bool FileDialog(TFileDialogRequest& request) override
    {
        TQuestion q;
        q.kind = TKind::File;
        q.file = request;
        Ctx c;
        c.file = &request;
        return Ask(q, c, "file: " + request.title, 0) != 0;
    }

    bool ColorDialog(rtl::TColor& color) override
    {
        TQuestion q;
        q.kind = TKind::Color;
        q.color = color;
        Ctx c;
        c.color = &color;
        return Ask(q, c, "colour", 0) != 0;
    }

    bool FontDialog(classes::TFont& font) override
    {
        TQuestion q;
        q.kind = TKind::Font;
        Ctx c;
        c.font = &font;
        return Ask(q, c, "font", 0) != 0;
    }

    int ShowModal(TCustomForm& form) override
    {
        TQuestion q;
        q.kind = TKind::Modal;
        q.caption = form.Caption();
        q.formName = form.Name();
        asked_.push_back(q);
        if (answers_.empty() || answers_.front().kind != TKind::Modal) {
            unexpected_.push_back("modal form: " + form.Caption());
            return mrCancel;
        }
        auto answer = std::move(answers_.front().answer);
        answers_.pop_front();
        int passes = 0;
        return form.ExecuteModal([&] {
            if (++passes > 1) {
                // The form refused to close on the answer given: give up with Cancel.
                if (passes > 2) throw EInvalidOperation("The form " + form.Name() + " does not close");
                form.SetModalResult(mrCancel);
                return;
            }
            Ctx c;
            c.form = &form;
            const int result = answer(c);
            if (form.ModalResult() == mrNone) form.SetModalResult(result != mrNone ? result : mrCancel);
        });
    }

private:
    struct Ctx {
        std::string* text = nullptr;
        TFileDialogRequest* file = nullptr;
        rtl::TColor* color = nullptr;
        classes::TFont* font = nullptr;
        TCustomForm* form = nullptr;
    };
    struct Answer {
        TKind kind;
        std::function<int(Ctx&)> answer;
    };

    void Queue(TKind kind, std::function<int(Ctx&)> answer) { answers_.push_back({kind, std::move(answer)}); }

    int Ask(const TQuestion& q, Ctx& c, const std::string& what, int cancel)
    {
        asked_.push_back(q);
        if (answers_.empty() || answers_.front().kind != q.kind) {
            unexpected_.push_back(what);
            return cancel;
        }
        auto answer = std::move(answers_.front().answer);
        answers_.pop_front();
        return answer(c);
    }

    std::deque<Answer> answers_;
    std::vector<TQuestion> asked_;
    std::vector<std::string> unexpected_;
};

}  // namespace ui
