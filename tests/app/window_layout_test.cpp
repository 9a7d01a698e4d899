// SPDX-License-Identifier: Apache-2.0
// The window as a user first sees it, 1310 x 656, with two runs kept for comparison: every
// text of its plots, tabs, buttons and boxes is shown whole; at 1024 x 600 (a small laptop's
// screen) and at 1310 x 656, fed with melt or with pellets, nothing overlaps, nothing is cut
// and no file name is cut; and what it remembers of its layout between sessions.
#include <QAbstractButton>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QGraphicsScene>
#include <QImage>
#include <QProcess>
#include <QGraphicsTextItem>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cmath>
#include <QScrollArea>
#include <QLegend>
#include <QLegendMarker>
#include <QSplitter>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "app/case_session.h"
#include "app/feed_box.h"
#include "app/manage_materials_dialog.h"
#include "app/material_fit_dialog.h"
#include "app/plots/results_plots.h"
#include "tests/app/window_harness.h"

namespace {

const QSize kFirstSize(1310, 656);

bool Elided(const QString& text) { return text.contains(QStringLiteral("...")) || text.contains(QChar(0x2026)); }

// Every text a chart draws (title, axis titles and tick labels, legend entries), as drawn;
// `outside` gets those that reach past the chart's edge, where the view cuts them.
QStringList DrawnTexts(const QChartView* view, QStringList* outside = nullptr) {
  QStringList texts;
  const QRectF chart = view->chart()->mapRectToScene(view->chart()->rect());
  for (const QGraphicsItem* item : view->scene()->items()) {
    if (!item->isVisible()) continue;
    if (const auto* text = dynamic_cast<const QGraphicsTextItem*>(item)) {
      texts << text->toPlainText();
      if (outside && !text->toPlainText().isEmpty() && !chart.contains(text->sceneBoundingRect())) {
        *outside << text->toPlainText();
      }
    }
  }
  return texts;
}

// Whatever of the page in front is cut off: a widget reaching past the window's edge, a button
// or box narrower than its text, a label without wrapping narrower than its text, a chart
// text drawn elided.
QStringList Clipped(const QWidget* window) {
  QStringList clipped;
  for (const QWidget* w : window->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(window) || w->window() != window) continue;
    // What scrolls is inside its scrolled content; the rest inside the window.
    const QWidget* frame = window;
    for (const QWidget* up = w->parentWidget(); up && up != window; up = up->parentWidget()) {
      const auto* scroll = qobject_cast<const QScrollArea*>(up);
      if (scroll && (scroll->widget() == w || scroll->widget()->isAncestorOf(w))) {
        frame = scroll->widget();  // tall as it is: the scroll bar shows the rest
        break;
      }
    }
    const QRect inFrame(w->mapTo(frame, QPoint(0, 0)), w->size());
    const QString name = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
    if (!frame->rect().contains(inFrame)) clipped << name + QStringLiteral(" reaches past the window");
    const auto* button = qobject_cast<const QAbstractButton*>(w);
    const auto* combo = qobject_cast<const QComboBox*>(w);
    const auto* label = qobject_cast<const QLabel*>(w);
    if ((button && !button->text().isEmpty()) || combo || (label && !label->wordWrap() && !label->text().isEmpty())) {
      if (w->width() < w->sizeHint().width()) clipped << name + QStringLiteral(" is narrower than its text");
    }
    if (const auto* header = qobject_cast<const QHeaderView*>(w); header && header->orientation() == Qt::Horizontal) {
      for (int section = 0; section < header->count(); ++section) {
        if (header->sectionSize(section) < header->sectionSizeHint(section)) {
          clipped << name + QStringLiteral(" cuts the heading of column %1").arg(section + 1);
        }
      }
    }
    if (combo) {
      // A box may want less than its text; the field it shows the text in must hold it.
      QStyleOptionComboBox option;
      option.initFrom(combo);
      const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
      if (field.width() < combo->fontMetrics().horizontalAdvance(combo->currentText())) {
        clipped << name + QStringLiteral(" cuts ") + combo->currentText();
      }
    }
    if (const auto* view = qobject_cast<const QChartView*>(w)) {
      QStringList outside;
      for (const QString& text : DrawnTexts(view, &outside)) {
        if (Elided(text)) clipped << name + QStringLiteral(": ") + text;
      }
      for (const QString& text : outside) clipped << name + QStringLiteral(": ") + text + QStringLiteral(" is cut at the edge");
    }
  }
  return clipped;
}

// Two visible widgets of one parent that cover each other, and what is squeezed below the
// least size its layout asks for or, inside the scrolled inputs, wider than their view.
QStringList Overlapping(const QWidget* window) {
  QStringList found;
  auto name = [](const QWidget* w) {
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
  };
  QList<QWidget*> parents = window->findChildren<QWidget*>();
  parents << const_cast<QWidget*>(window);
  for (const QWidget* parent : parents) {
    if (!parent->isVisibleTo(window) || parent->window() != window) continue;
    if (parent->layout() && (parent->width() < parent->minimumSizeHint().width() ||
                             parent->height() < parent->minimumSizeHint().height())) {
      found << name(parent) + QStringLiteral(" is squeezed below its least size");
    }
    if (const auto* scroll = qobject_cast<const QScrollArea*>(parent); scroll && scroll->widget()) {
      if (scroll->widget()->width() > scroll->viewport()->width()) found << name(scroll) + QStringLiteral(" scrolls sideways");
    }
    QList<const QWidget*> children;
    for (const QObject* child : parent->children()) {
      const auto* w = qobject_cast<const QWidget*>(child);
      if (w && !w->isWindow() && w->isVisibleTo(window)) children << w;
    }
    for (qsizetype i = 0; i < children.size(); ++i) {
      for (qsizetype j = i + 1; j < children.size(); ++j) {
        if (children[i]->geometry().intersects(children[j]->geometry())) {
          found << name(children[i]) + QStringLiteral(" overlaps ") + name(children[j]);
        }
      }
    }
  }
  return found;
}

}  // namespace

class LayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void nothingClippedWithTwoKeptRuns();
  void nothingOverlapsOrIsCutOnASmallScreen();
  void dialogsFitASmallScreen();
  void layoutIsRememberedBetweenSessions();
  void largerWindowGivesItsRoomToThePlots();
  void screenshotWithKeptRunsIsTheFirstSize();

 private:
  bool run() { return window_harness::RunByEnter(*form_, window_harness::Edit(*form_, 1)); }
  QTabWidget* tabs() const { return form_->findChild<QTabWidget*>(QStringLiteral("PlotTabs")); }
  QSplitter* splitter() const { return form_->findChild<QSplitter*>(QStringLiteral("Splitter1")); }
  bool openWindow() {
    form_.reset();
    form_ = window_harness::OpenWindow(&dialogs_, dir_->path());
    return QTest::qWaitForWindowExposed(form_.get());
  }

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TForm1> form_;
  window_harness::RecordingDialogs dialogs_;
};

void LayoutTest::init() {
  window_harness::FreshSettings();
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(openWindow());
}

void LayoutTest::cleanup() {
  form_.reset();
  dir_.reset();
}

void LayoutTest::nothingClippedWithTwoKeptRuns() {
  form_->resize(kFirstSize);
  auto* keep = form_->findChild<QAbstractButton*>(QStringLiteral("KeepRunButton"));
  for (const char* output : {"40", "80", "60"}) {
    window_harness::Edit(*form_, 6)->setText(QLatin1String(output));
    QVERIFY(run());
    if (form_->resultsPlots()->keptRuns().size() < 2) keep->click();
  }
  QCOMPARE(form_->resultsPlots()->keptRuns().size(), 2);
  QCOMPARE(form_->size(), kFirstSize);

  // The legends name each quantity once; the key above the plots names each kept run once.
  const QChart* power = form_->resultsPlots()->chart(plots::PlotId::Power);
  QStringList legend;
  for (const QLegendMarker* marker : power->legend()->markers()) {
    if (marker->isVisible()) legend << marker->label();
  }
  QCOMPARE(legend, plots::LookOf(plots::PlotId::Power).curves);
  const QString key = form_->findChild<QLabel*>(QStringLiteral("KeptRunsKey"))->text();
  for (const QString& kept : form_->resultsPlots()->keptRuns()) {
    QCOMPARE(key.count(QStringLiteral("kept: ") + kept + QStringLiteral(",")) +
                 key.count(QStringLiteral("kept: ") + kept + QStringLiteral(" ")) + int(key.endsWith(kept)),
             1);
  }

  for (int page = 0; page < tabs()->count(); ++page) {
    tabs()->setCurrentIndex(page);
    QCoreApplication::processEvents();
    const QStringList clipped = Clipped(form_.get());
    QVERIFY2(clipped.isEmpty(), qPrintable(QStringLiteral("%1: %2").arg(tabs()->tabText(page), clipped.join(u'\n'))));
    // Every tab shows its name whole: none hides behind the scroll arrows, none is cut short.
    for (const QToolButton* arrow : tabs()->tabBar()->findChildren<QToolButton*>()) QVERIFY(!arrow->isVisible());
    const QTabBar* bar = tabs()->tabBar();
    for (int tab = 0; tab < bar->count(); ++tab) {
      QVERIFY(bar->rect().contains(bar->tabRect(tab)));
      QVERIFY(bar->tabRect(tab).width() > bar->fontMetrics().horizontalAdvance(bar->tabText(tab)));
    }
  }
  // Zero is "0" on every axis that reaches it.
  for (int i = 0; i < plots::kPlotCount; ++i) {
    for (const QString& text : DrawnTexts(form_->resultsPlots()->view(plots::PlotId(i)))) {
      QVERIFY2(!text.contains(QStringLiteral("e-")), qPrintable(text));
    }
  }
}

void LayoutTest::nothingOverlapsOrIsCutOnASmallScreen() {
  // The names a user reads in the folder's file list: the case's and the results file's.
  const QStringList names{QStringLiteral("sheet-line.kvcase"), QStringLiteral("result.txt")};
  for (const QString& name : names) {
    QFile file(QDir(dir_->path()).filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
  }
  form_->folderChooser()->refreshFileList();
  QVERIFY(run());
  QComboBox* feed = form_->feedBox()->choice();
  for (const QSize size : {QSize(1024, 600), kFirstSize}) {
    for (const int fed : {0, 1}) {
      form_->resize(size);
      feed->setCurrentIndex(fed);
      QCoreApplication::processEvents();
      const QString where = QStringLiteral("%1 x %2, %3").arg(size.width()).arg(size.height()).arg(feed->currentText());
      QCOMPARE(form_->size(), size);
      QCOMPARE(form_->feedBox()->isVisible(), fed == 1);
      for (int page = 0; page < tabs()->count(); ++page) {
        tabs()->setCurrentIndex(page);
        QCoreApplication::processEvents();
        const QStringList wrong = Clipped(form_.get()) + Overlapping(form_.get());
        QVERIFY2(wrong.isEmpty(), qPrintable(QStringLiteral("%1, %2: %3").arg(where, tabs()->tabText(page), wrong.join(u'\n'))));
        const QTabBar* bar = tabs()->tabBar();
        for (const QToolButton* arrow : bar->findChildren<QToolButton*>()) QVERIFY2(!arrow->isVisible(), qPrintable(where));
        for (int tab = 0; tab < bar->count(); ++tab) QVERIFY2(bar->rect().contains(bar->tabRect(tab)), qPrintable(where));
      }
      // The summary above the plots stays one line high whatever it says.
      const QLabel* summary = form_->findChild<QLabel*>(QStringLiteral("PlotStatus"));
      QVERIFY2(summary->height() < 2 * summary->fontMetrics().height(), qPrintable(where));
      // Each file's name shows whole beside its icon.
      if (size == kFirstSize) {
        const auto* files = form_->findChild<QListWidget*>(QStringLiteral("FileListBox1"));
        for (const QString& name : names) {
          const QList<QListWidgetItem*> found = files->findItems(name, Qt::MatchExactly);
          QCOMPARE(found.size(), 1);
          // The icon, the text and the item's margins within the list's view.
          const QRect item = files->visualItemRect(found.front());
          const int needed = files->fontMetrics().horizontalAdvance(name) + files->style()->pixelMetric(QStyle::PM_ListViewIconSize) + 12;
          QVERIFY2(qMin(item.right(), files->viewport()->width()) - item.left() >= needed,
                   qPrintable(where + QStringLiteral(": ") + name + QStringLiteral(" is cut")));
        }
      }
    }
  }
  // Room for the frame of a window 1024 x 600 with its title.
  QVERIFY(form_->minimumSizeHint().height() <= 560);
}

void LayoutTest::dialogsFitASmallScreen() {
  // A window 1024 x 600 with its title: what a dialog may take.
  const QSize screen(1024, 560);
  // Measured viscosities at four temperatures, three shear rates each.
  QString table = QStringLiteral("temp_C,shear_rate_per_s,viscosity_Pa_s\n");
  for (const int temp : {190, 210, 230, 250}) {
    for (const int rate : {5, 100, 5000}) {
      table += QStringLiteral("%1,%2,%3\n").arg(temp).arg(rate).arg(2e4 * std::exp(-0.015 * (temp - 190)) * std::pow(rate, -0.6));
    }
  }
  MaterialFitDialog data(MaterialFitDialog::Source::Data, dialogs_, *form_->materialBox(), form_.get());
  data.findChild<QPlainTextEdit*>(QStringLiteral("FitTable"))->setPlainText(table);
  QVERIFY(data.fit());
  MaterialFitDialog model(MaterialFitDialog::Source::Model, dialogs_, *form_->materialBox(), form_.get());
  ManageMaterialsDialog materials(dialogs_, *form_->materialBox(), form_.get());
  for (QDialog* dialog : std::initializer_list<QDialog*>{&data, &model, &materials}) {
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    const QSize least = dialog->minimumSizeHint().expandedTo(dialog->minimumSize());
    QVERIFY2(least.width() <= screen.width() && least.height() <= screen.height(), qPrintable(dialog->windowTitle()));
    dialog->resize(dialog->sizeHint().boundedTo(screen).expandedTo(least));
    QCoreApplication::processEvents();
    const QStringList wrong = Clipped(dialog) + Overlapping(dialog);
    QVERIFY2(wrong.isEmpty(), qPrintable(dialog->windowTitle() + QStringLiteral(": ") + wrong.join(u'\n')));
    dialog->hide();
  }
}

void LayoutTest::layoutIsRememberedBetweenSessions() {
  const QString sheet = QDir(dir_->path()).filePath(QStringLiteral("sheet.kvcase"));
  QFile file(sheet);
  QVERIFY(file.open(QIODevice::WriteOnly) && file.write("output-rate = 50\n") > 0);
  file.close();
  QVERIFY(form_->caseSession()->open(sheet));
  form_->resize(1400, 700);
  QCoreApplication::processEvents();
  splitter()->setSizes({400, 1000});
  tabs()->setCurrentIndex(2);
  const QList<int> sizes = splitter()->sizes();
  QVERIFY(form_->close());

  QVERIFY(openWindow());
  QVERIFY(form_->restoredGeometry());
  QCOMPARE(form_->size(), QSize(1400, 700));
  QCOMPARE(splitter()->sizes(), sizes);
  QCOMPARE(tabs()->currentIndex(), 2);
}

void LayoutTest::largerWindowGivesItsRoomToThePlots() {
  form_->resize(kFirstSize);
  QCoreApplication::processEvents();
  const QWidget* inputs = form_->findChild<QWidget*>(QStringLiteral("GroupBox1"));
  const QSize inputsAtFirst = inputs->size();
  const int plotsAtFirst = form_->resultsPlots()->width();
  form_->resize(1920, 1040);
  QCoreApplication::processEvents();
  // The inputs keep their size, gaps and all; the plots take the width and height.
  QCOMPARE(inputs->size(), inputsAtFirst);
  QCOMPARE(form_->resultsPlots()->width(), plotsAtFirst + 1920 - kFirstSize.width());
  QVERIFY(form_->resultsPlots()->view(plots::PlotId::Pressure)->height() > 250);
}

void LayoutTest::screenshotWithKeptRunsIsTheFirstSize() {
  const QString picture = QDir(dir_->path()).filePath(QStringLiteral("compare.png"));
  QProcess kelvado;
  kelvado.start(QStringLiteral(KELVADO_EXE), {QStringLiteral("--screenshot"), picture, QStringLiteral("--with-plots"),
                                              QStringLiteral("--compare"), QStringLiteral("40,80")});
  QVERIFY(kelvado.waitForFinished(60000));
  QCOMPARE(kelvado.exitCode(), 0);
  QCOMPARE(QImage(picture).size(), kFirstSize);

  // An output that is not a number is said so, and no picture passes for the asked one.
  kelvado.start(QStringLiteral(KELVADO_EXE), {QStringLiteral("--screenshot"), picture + QStringLiteral(".bad.png"),
                                              QStringLiteral("--with-plots"), QStringLiteral("--compare"),
                                              QStringLiteral("40,forty")});
  QVERIFY(kelvado.waitForFinished(60000));
  QCOMPARE(kelvado.exitCode(), 1);
  QVERIFY(kelvado.readAllStandardError().contains("output of forty ended as improper input"));
  QVERIFY(!QFile::exists(picture + QStringLiteral(".bad.png")));

  // Any page or dialog at the size of a small screen; a size that is none is a usage error.
  const QString small = QDir(dir_->path()).filePath(QStringLiteral("small.png"));
  kelvado.start(QStringLiteral(KELVADO_EXE), {QStringLiteral("--screenshot"), small, QStringLiteral("--size"),
                                              QStringLiteral("1024x600"), QStringLiteral("--page"), QStringLiteral("Die")});
  QVERIFY(kelvado.waitForFinished(60000));
  QCOMPARE(kelvado.exitCode(), 0);
  QCOMPARE(QImage(small).size(), QSize(1024, 600));
  kelvado.start(QStringLiteral(KELVADO_EXE), {QStringLiteral("--screenshot"), small, QStringLiteral("--size"),
                                              QStringLiteral("1024x600"), QStringLiteral("--dialog"), QStringLiteral("fit-model")});
  QVERIFY(kelvado.waitForFinished(60000));
  QCOMPARE(kelvado.exitCode(), 0);
  QVERIFY(QImage(small).height() <= 600);
  for (const QStringList& wrong : {QStringList{QStringLiteral("--size"), QStringLiteral("1024by600")},
                                   QStringList{QStringLiteral("--dialog"), QStringLiteral("settings")},
                                   QStringList{QStringLiteral("--fit-table"), small}}) {
    kelvado.start(QStringLiteral(KELVADO_EXE), QStringList{QStringLiteral("--screenshot"), small + QStringLiteral(".no.png")} + wrong);
    QVERIFY(kelvado.waitForFinished(60000));
    QCOMPARE(kelvado.exitCode(), 2);
    QVERIFY(!QFile::exists(small + QStringLiteral(".no.png")));
  }
  // A table that can not be read is said so, not taken for a dialog of another name.
  kelvado.start(QStringLiteral(KELVADO_EXE), {QStringLiteral("--screenshot"), small + QStringLiteral(".no.png"),
                                              QStringLiteral("--dialog"), QStringLiteral("fit-data"),
                                              QStringLiteral("--fit-table"), small + QStringLiteral(".none.csv")});
  QVERIFY(kelvado.waitForFinished(60000));
  QCOMPARE(kelvado.exitCode(), 2);
  const QByteArray said = kelvado.readAllStandardError();
  QVERIFY2(said.contains(".none.csv can not be read") && !said.contains("no dialog named"), said.constData());
  QVERIFY(!QFile::exists(small + QStringLiteral(".no.png")));
}

QTEST_MAIN(LayoutTest)
#include "window_layout_test.moc"
