#pragma once

#include "acquisition/Clock.h"
#include "acquisition/Udata1.h"
#include "acquisition/ValueList.h"
#include "plot/LivePlot.h"
#include "ui/PlotImage.h"
#include "ui/RunPacer.h"
#include "ui/ValueListView.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QWidget>
#include <optional>

namespace kordel {

class JournalFile;
class RunLoop;
class TFNgr;
class TFSave;
struct JournalContent;

// The main window: run parameters, plot image, the two channel value lists and the tool bar.
class TForm1 : public QWidget {
    Q_OBJECT

public:
    // `demo`: the converters are simulated, which the caption says. Runs wait on `clock`.
    TForm1(SharedState& state, bool demo, Clock& clock);

    // The dialogs are created after the main window; it opens them from its tool bar.
    void setDialogs(TFSave& save, TFNgr& options);

    SharedState& state() { return state_; }
    const ValueList& list1() const { return list1_; }
    const ValueList& list2() const { return list2_; }
    Canvas& canvas() { return Image1->canvas(); }
    char decimalSeparator() const { return separator_; }

    // Clears the plot image and draws the last run with the options dialog's switches as
    // they are now. Throws Error when the drawing fails, leaving what was drawn.
    void drawPlot();

    // Where runs keep their pairs until they are saved; none unless set.
    void setJournal(JournalFile& journal) { journal_ = &journal; }
    JournalFile* journal() { return journal_; }
    // The lists have been saved: the last run's journal goes.
    void resultSaved();
    // The journal's run in the fields, lists, series and plot, as when it had just ended.
    void showRecoveredRun(const JournalContent& journal);

    // Whether a run shows its picture forming in Image2 (on unless turned off).
    void setLiveView(bool on) { liveView_ = on; }

    // A stop signal came: a run ends after the pair being read, then the program with
    // `exitStatus`, asking nothing, so the run's journal stays for the next start.
    void endOnSignal(int exitStatus);

    // Handlers.
    void Act();
    void Cl1();
    void SpeedButton3Click();
    void ClSave();
    void Clos();
    void Change();
    void Change2();

    QFrame* Panel1;
    QToolButton* SpeedButton1;
    QToolButton* SpeedButton3;
    QToolButton* SpeedButton2;
    QToolButton* SpeedButton5;
    QLabel* Label4;
    QLabel* Label5;
    PlotImage* Image1;
    PlotImage* Image2; // the live view, over Image1 while a run lasts
    ValueListView* Memo1;
    ValueListView* Memo2;
    QGroupBox* GroupBox2;
    QLabel* Label8;
    QLineEdit* Edit5;
    QLabel* Label9;
    QLineEdit* Edit6;
    QGroupBox* GroupBox1;
    QLabel* Label2;
    QLineEdit* Edit1;
    QLabel* Label1;
    QLineEdit* Edit2;
    QLabel* Label3;
    QLabel* Label6;
    QLineEdit* Edit3;
    QLineEdit* Edit4;
    QLabel* Label7;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createToolBar();
    void createParameters();
    void setTabOrder();
    void connectHandlers();
    void showLists();
    std::exception_ptr runOnThread(const RunFields& fields, SharedState& run, ValueList& list1,
                                   ValueList& list2, LivePlot* live);
    void showProgress(LivePlot* live, const RunPacer::Progress& progress);
    bool mayClose();
    bool showGrid() const;
    bool showAxes() const;
    void readDecimalSeparator();

    SharedState& state_;
    Clock& clock_;
    ValueList list1_;
    ValueList list2_;
    char separator_ = '.';
    bool activated_ = false;
    bool liveView_ = true;
    RunLoop* runLoop_ = nullptr; // while a run lasts
    bool unsaved_ = false;       // the last run kept pairs that were not saved since
    std::optional<int> exitStatus_;
    TFSave* FSave_ = nullptr;
    TFNgr* FNgr_ = nullptr;
    JournalFile* journal_ = nullptr;
};

// Kordel's font: a small sans-serif with Cyrillic letters.
QFont formFont();

// Colours an edit's background (the multiplier edits turn yellow when not 1).
void setEditColour(QLineEdit* edit, QColor colour);

} // namespace kordel
