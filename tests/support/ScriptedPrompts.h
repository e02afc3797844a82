#pragma once
// Prompts for tests: answers come from a script, every prompt is recorded. Installs itself for
// its lifetime.

#include "platform/Prompts.h"

#include <QStringList>
#include <deque>

namespace korvel {

class ScriptedPrompts final : public Prompts {
public:
    struct Asked {
        QString kind, title, text;
    };

    ScriptedPrompts() { Prompts::install(this); }
    ~ScriptedPrompts() override { Prompts::install(nullptr); }
    ScriptedPrompts(const ScriptedPrompts&) = delete;
    ScriptedPrompts& operator=(const ScriptedPrompts&) = delete;

    // Answers for the next yes/no and ok/cancel questions, in order; when the script runs out
    // the answer is `fallback`.
    void answer(bool yes) { answers_.push_back(yes); }
    void answerOverwrite(Overwrite a) { overwrites_.push_back(a); }
    bool fallback = true;
    Overwrite overwriteFallback = Overwrite::Cancel;

    const std::vector<Asked>& asked() const { return asked_; }
    QStringList texts() const {
        QStringList t;
        for (const auto& a : asked_)
            t << a.text;
        return t;
    }
    void clear() { asked_.clear(); }

    bool askYesNo(QWidget*, const QString& title, const QString& text) override {
        return next("yesno", title, text);
    }
    bool askOkCancel(QWidget*, const QString& title, const QString& text) override {
        return next("okcancel", title, text);
    }
    Overwrite askOverwrite(QWidget*, const QString& title, const QString& text) override {
        asked_.push_back({"overwrite", title, text});
        if (overwrites_.empty())
            return overwriteFallback;
        auto a = overwrites_.front();
        overwrites_.pop_front();
        return a;
    }
    void inform(QWidget*, const QString& title, const QString& text) override {
        asked_.push_back({"inform", title, text});
    }
    void showError(QWidget*, const QString& title, const QString& text) override {
        asked_.push_back({"error", title, text});
    }

private:
    bool next(const char* kind, const QString& title, const QString& text) {
        asked_.push_back({kind, title, text});
        if (answers_.empty())
            return fallback;
        bool a = answers_.front();
        answers_.pop_front();
        return a;
    }
    std::deque<bool> answers_;
    std::deque<Overwrite> overwrites_;
    std::vector<Asked> asked_;
};

} // namespace korvel
