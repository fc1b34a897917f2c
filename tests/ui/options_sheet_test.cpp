// The options sheet over a record: every field through its control, the
// checks made when a page is left, the enable rules, "Reset all options"
// and the context-menu extension's registration.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <set>

#include "documents/composite.h"
#include "engine/command_line.h"
#include "platform/profile_store.h"
#include "sheet_test_support.h"
#include "support/temp_dir.h"
#include "ui/html_appearance_dialog.h"
#include "ui/html_text_dialog.h"
#include "ui/main_window.h"
#include "ui/options_sheet.h"
#include "ui/pages/composite_page.h"
#include "ui/pages/html_page.h"
#include "ui/pages/image_page.h"
#include "ui/pages/jpg_page.h"
#include "ui/pages/log_page.h"
#include "ui/pages/operation_page.h"
#include "ui/pages/output_page.h"
#include "ui/pages/overlay_page.h"
#include "ui/pages/png_page.h"
#include "ui/position_box.h"
#include "ui/up_down_edit.h"
#include "ui_composite_page.h"
#include "ui_html_appearance_dialog.h"
#include "ui_html_page.h"
#include "ui_html_text_dialog.h"
#include "ui_image_page.h"
#include "ui_jpg_page.h"
#include "ui_log_page.h"
#include "ui_operation_page.h"
#include "ui_output_page.h"
#include "ui_overlay_page.h"
#include "ui_png_page.h"
#include "widgets/help.h"

namespace vig::ui {
namespace {

using test::OnNextModal;
using test::SheetFakes;

int64_t Midnight(const char* date) {
    int64_t t = 0;
    EXPECT_TRUE(engine::ParseDate(date, &t));
    return t;
}

// A record with every feature on, so that every control is enabled.
options::BatchOptions Baseline() {
    options::BatchOptions o = options::FirstRunOptions(Midnight("14/11/2023"));
    o.OutputRenameStyle = options::TextPrefix;
    o.OutputDateFilter = 1;
    o.OverlayOverlay = 1;
    o.OverlayPos = 1;
    o.OverlayNoTransparency = 0;
    o.OverlayQuantize = 1;
    o.LogMakeLog = 1;
    o.LogPath = "/tmp/batch.log";
    o.LogInputName = 1;
    o.LogOutName = 1;
    o.HTMLLog = 1;
    o.HTMLMakeSrcLink = 1;
    o.HTMLMakeIndex = 1;
    o.CompositeMakeComposite = 1;
    return o;
}

// The values the store holds for a record.
std::map<std::string, std::string> Stored(const options::BatchOptions& o) {
    MemoryProfileStore store;
    o.Save(store);
    return store.Values();
}

enum Page { kOutput, kOperation, kPng, kJpg, kImage, kOverlay, kLog, kHtml, kComposite };

struct FieldRow {
    const char* name;
    Page page;
    std::function<void(CMySheet&)> change;
    std::function<void(options::BatchOptions&)> expect;
};

#define OUT(s) (s).outputPage()->ui()
#define OPS(s) (s).operationPage()->ui()
#define PNG(s) (s).pngPage()->ui()
#define IMG(s) (s).imagePage()->ui()
#define OVL(s) (s).overlayPage()->ui()
#define LOG(s) (s).logPage()->ui()
#define HTM(s) (s).htmlPage()->ui()
#define CMP(s) (s).compositePage()->ui()

void Click(QAbstractButton* b) {
    ASSERT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    b->click();
}

const options::Colour kChosen = options::MakeColour(11, 22, 33);

// Rows whose change is one click, one text or one number, and whose
// result is one field.
// clang-format off
#define CLICK_ROW(field, page, button, value) \
    {#field, page, [](CMySheet& s) { Click(button); }, [](options::BatchOptions& o) { o.field = value; }}
#define TEXT_ROW(field, page, edit, text) \
    {#field, page, [](CMySheet& s) { edit->setText(text); }, \
     [](options::BatchOptions& o) { o.field = text; }}
#define VALUE_ROW(field, page, control, value) \
    {#field, page, [](CMySheet& s) { control->setValue(value); }, \
     [](options::BatchOptions& o) { o.field = value; }}
// clang-format on

std::vector<FieldRow> FieldRows() {
    return {
        CLICK_ROW(OutputRenameStyle, kOutput, OUT(s).renameSuffix, options::TextSuffix),
        TEXT_ROW(OutputExtraText, kOutput, OUT(s).extraText, "t_"),
        CLICK_ROW(OutputCase, kOutput, OUT(s).caseUpper, options::Upper),
        TEXT_ROW(OutputFilterString, kOutput, OUT(s).nameFilter, "a*"),
        CLICK_ROW(OutputFilterJPG, kOutput, OUT(s).filterJpg, 0),
        CLICK_ROW(OutputFilterPNG, kOutput, OUT(s).filterPng, 0),
        CLICK_ROW(OutputFilterBMP, kOutput, OUT(s).filterBmp, 0),
        CLICK_ROW(OutputFilterTIF, kOutput, OUT(s).filterTif, 0),
        CLICK_ROW(OutputFilterPCX, kOutput, OUT(s).filterPcx, 0),
        CLICK_ROW(OutputFilterGIF, kOutput, OUT(s).filterGif, 0),
        CLICK_ROW(OutputFilterHEIF, kOutput, OUT(s).filterHeif, 0),
        CLICK_ROW(OutputFilterAVIF, kOutput, OUT(s).filterAvif, 0),
        CLICK_ROW(OutputFilterWEBP, kOutput, OUT(s).filterWebp, 0),
        CLICK_ROW(OutputDateFilter, kOutput, OUT(s).useDateFilter, 0),
        {"OutputDateDate", kOutput, [](CMySheet& s) { OUT(s).dateEdit->setText("29/2/2020"); },
         [](options::BatchOptions& o) { o.OutputDateDate = Midnight("29/2/2020"); }},
        CLICK_ROW(OutputDateFilterBefore, kOutput, OUT(s).dateAfter, 0),
        CLICK_ROW(OutputCreateFolder, kOutput, OUT(s).createFolder, 1),
        CLICK_ROW(OutputRecurseSrc, kOutput, OUT(s).recurse, 1),
        CLICK_ROW(OutputDuplicateSrcTree, kOutput, OUT(s).duplicateTree, o.OutputRecurseSrc = 1),
        CLICK_ROW(OutputBranchFromSrc, kOutput, OUT(s).branchFromSource, 1),
        {"OutputBranchPath", kOutput,
         [](CMySheet& s) {
             Click(OUT(s).branchFromSource);
             OUT(s).branchPath->setText("Small");
         },
         [](options::BatchOptions& o) {
             o.OutputBranchFromSrc = 1;
             o.OutputBranchPath = "Small";
         }},
        CLICK_ROW(OutputSortFiles, kOutput, OUT(s).sortDate, options::ByDate),
        CLICK_ROW(OutputSortFilesDescending, kOutput, OUT(s).sortDescending, 1),
        CLICK_ROW(OpsSilentOperation, kOperation, OPS(s).silentOperation, 1),
        VALUE_ROW(OpsThreads, kOperation, OPS(s).threads, 3),
        VALUE_ROW(OpsMemoryLimit, kOperation, OPS(s).memoryLimit, 500),
        {"PNGScreenGamma", kPng, [](CMySheet& s) { PNG(s).screenGamma->setText("1.8"); },
         [](options::BatchOptions& o) { o.PNGScreenGamma = 1.8; }},
        {"PNGFileGamma", kPng, [](CMySheet& s) { PNG(s).fileGamma->setText(" 0.45 "); },
         [](options::BatchOptions& o) { o.PNGFileGamma = 0.45; }},
        CLICK_ROW(PNGBkColor, kPng, PNG(s).background, kChosen),
        CLICK_ROW(PNGCopyPNGText, kPng, PNG(s).copyText, 1),
        TEXT_ROW(PNGKey, kPng, PNG(s).key, "Title"),
        {"PNGText", kPng,
         [](CMySheet& s) {
             PNG(s).key->setText("Title");
             PNG(s).text->setPlainText("Two\nlines");
         },
         [](options::BatchOptions& o) {
             o.PNGKey = "Title";
             o.PNGText = "Two\nlines";
         }},
        CLICK_ROW(PNGCompressPNGText, kPng, PNG(s).compressText, 1),
        VALUE_ROW(JPGQuality, kJpg, s.jpgPage()->ui().quality, 90),
        CLICK_ROW(JPGDraftDecode, kJpg, s.jpgPage()->ui().draftDecode, 1),
        CLICK_ROW(ImageMatte, kImage, IMG(s).matte, 1),
        CLICK_ROW(ImageMatteColor, kImage, IMG(s).matteColour, kChosen),
        CLICK_ROW(ImageEnhanceType, kImage, IMG(s).enhanceLineArt, options::LineArtContrast),
        {"ImageUserLUTPath", kImage,
         [](CMySheet& s) {
             Click(IMG(s).enhanceUserLut);
             IMG(s).lutPath->setText("/curves/warm.lut");
         },
         [](options::BatchOptions& o) {
             o.ImageEnhanceType = options::UserLut;
             o.ImageUserLUTPath = "/curves/warm.lut";
         }},
        CLICK_ROW(ImageSharpen, kImage, IMG(s).sharpen, 1),
        VALUE_ROW(ImageSharpenLevel, kImage, IMG(s).level, 60),
        CLICK_ROW(ImageBilinear, kImage, IMG(s).bilinear, 1),
        CLICK_ROW(ImageAutoOrient, kImage, IMG(s).autoOrient, 1),
        CLICK_ROW(ImageColourManage, kImage, IMG(s).colourManage, 1),
        CLICK_ROW(OverlayOverlay, kOverlay, OVL(s).overlay, 0),
        TEXT_ROW(OverlayPath, kOverlay, OVL(s).path, "/logos/a.png"),
        {"OverlayPos", kOverlay,
         [](CMySheet& s) {
             CPositionBox* box = OVL(s).positionBox;
             QTest::mouseClick(box, Qt::LeftButton, {}, box->CellRect(8).center());
         },
         [](options::BatchOptions& o) { o.OverlayPos = 8; }},
        CLICK_ROW(OverlayRotation, kOverlay, OVL(s).rotate270, 3),
        CLICK_ROW(OverlayQuantize, kOverlay, OVL(s).quantizeNormal, 0),
        VALUE_ROW(OverlayQuantizeColors, kOverlay, OVL(s).colourCount, 8),
        CLICK_ROW(OverlayResize, kOverlay, OVL(s).sizeToFit, 1),
        CLICK_ROW(OverlayNoTransparency, kOverlay, OVL(s).noTransparency, 1),
        CLICK_ROW(OverlayTransColor, kOverlay, OVL(s).transColour, kChosen),
        {"OverlayOpacity", kOverlay, [](CMySheet& s) { OVL(s).opacity->setValue(40); },
         [](options::BatchOptions& o) { o.OverlayOpacity = 0.4; }},
        CLICK_ROW(LogMakeLog, kLog, LOG(s).makeLog, 0),
        CLICK_ROW(LogAppend, kLog, LOG(s).appendLog, 1),
        TEXT_ROW(LogPath, kLog, LOG(s).logPath, "/tmp/other.log"),
        CLICK_ROW(LogHeader, kLog, LOG(s).logHeader, 1),
        CLICK_ROW(LogInputName, kLog, LOG(s).logInputName, 0),
        CLICK_ROW(LogInputDims, kLog, LOG(s).logInputDims, 1),
        CLICK_ROW(LogOutName, kLog, LOG(s).logOutputName, 0),
        CLICK_ROW(LogOutputDims, kLog, LOG(s).logOutputDims, 1),
        CLICK_ROW(LogPNGText, kLog, LOG(s).logPngText, 1),
        CLICK_ROW(HTMLLog, kHtml, HTM(s).makeHtml, 0),
        TEXT_ROW(HTMLPath, kHtml, HTM(s).baseName, "Gallery"),
        CLICK_ROW(HTMLExtHTML, kHtml, HTM(s).extHtml, 1),
        VALUE_ROW(HTMLMaxImages, kHtml, HTM(s).maxImages, 20),
        CLICK_ROW(HTMLWriteTitles, kHtml, HTM(s).titles, 1),
        CLICK_ROW(HTMLMakeSrcLink, kHtml, HTM(s).srcLink, 0),
        CLICK_ROW(HTMLMakeTextLink, kHtml, HTM(s).textLink, 1),
        CLICK_ROW(HTMLMakeFileLink, kHtml, HTM(s).fileLink, 1),
        CLICK_ROW(HTMLMakeIndex, kHtml, HTM(s).makeIndex, 0),
        CLICK_ROW(HTMLMakeSingleIndex, kHtml, HTM(s).singleIndex, 1),
        CLICK_ROW(HTMLImageHoriz, kHtml, HTM(s).horizontal, 1),
        CLICK_ROW(HTMLTable, kHtml, HTM(s).makeTable, 1),
        VALUE_ROW(HTMLTableCols, kHtml, HTM(s).columns, 6),
        CLICK_ROW(HTMLWritePNG, kHtml, HTM(s).writePng, 1),
        CLICK_ROW(HTMLWriteBMP, kHtml, HTM(s).writeBmp, 1),
        CLICK_ROW(HTMLWritePCX, kHtml, HTM(s).writePcx, 1),
        CLICK_ROW(HTMLWriteTIFF, kHtml, HTM(s).writeTiff, 1),
        TEXT_ROW(HTMLPrevText, kHtml, HTM(s).prevText, "Back"),
        TEXT_ROW(HTMLNextText, kHtml, HTM(s).nextText, "On"),
        CLICK_ROW(HTMLSuppressFirstNumber, kHtml, HTM(s).suppressFirst, 1),
        CLICK_ROW(HTMLMakeSrcPages, kHtml, HTM(s).srcPagesOutput, options::SourcePagesWithOutput),
        TEXT_ROW(HTMLSourceTarget, kHtml, HTM(s).target, "main"),
        {"HTMLHeader", kHtml,
         [](CMySheet& s) {
             OnNextModal([](QDialog& d) {
                 auto& ui = static_cast<CHtmlTextDialog&>(d).ui();
                 ui.text->setPlainText("<b>Hi</b>");
                 ui.path->setText("/inc/head.html");
                 ui.useFile->click();
             });
             Click(HTM(s).header);
         },
         [](options::BatchOptions& o) {
             o.HTMLHeader = "<b>Hi</b>";
             o.HTMLHeaderPath = "/inc/head.html";
             o.HTMLUseHeaderPath = 1;
         }},
        {"HTMLFooter", kHtml,
         [](CMySheet& s) {
             OnNextModal([](QDialog& d) {
                 auto& ui = static_cast<CHtmlTextDialog&>(d).ui();
                 ui.text->setPlainText("Bye");
                 ui.path->setText("/inc/foot.html");
                 ui.useFile->click();
             });
             Click(HTM(s).footer);
         },
         [](options::BatchOptions& o) {
             o.HTMLFooter = "Bye";
             o.HTMLFooterPath = "/inc/foot.html";
             o.HTMLUseFooterPath = 1;
         }},
        {"HTML appearance", kHtml,
         [](CMySheet& s) {
             OnNextModal([](QDialog& d) {
                 auto& ui = static_cast<CHtmlAppearanceDialog&>(d).ui();
                 for (CColourSwatch* c :
                      {ui.textColour, ui.backColour, ui.linkColour, ui.vlinkColour})
                     c->click();
                 ui.textSize->setValue(-2);
                 ui.border->setValue(3);
                 ui.imageBorder->setValue(4);
                 ui.vspace->setValue(5);
                 ui.hspace->setValue(6);
             });
             Click(HTM(s).appearance);
         },
         [](options::BatchOptions& o) {
             o.HTMLTextColor = o.HTMLBackColor = o.HTMLLinkColor = o.HTMLVLinkColor = kChosen;
             o.HTMLTextSize = -2;
             o.HTMLBorderWidth = 3;
             o.HTMLImageBorder = 4;
             o.HTMLImageVSpace = 5;
             o.HTMLImageHSpace = 6;
         }},
        CLICK_ROW(CompositeMakeComposite, kComposite, CMP(s).makeComposite, 0),
        CLICK_ROW(CompositeWriteToRoot, kComposite, CMP(s).writeSubfolders, 0),
        TEXT_ROW(CompositeBaseName, kComposite, CMP(s).baseName, "Sheet"),
        {"CompositeFormat", kComposite,
         [](CMySheet& s) {
             CMP(s).format->setCurrentIndex(CMP(s).format->findData(options::FormatPng24));
         },
         [](options::BatchOptions& o) { o.CompositeFormat = options::FormatPng24; }},
        VALUE_ROW(CompositeRows, kComposite, CMP(s).rows, 2),
        VALUE_ROW(CompositeCols, kComposite, CMP(s).cols, 7),
        CLICK_ROW(CompositeBackColor, kComposite, CMP(s).background, kChosen),
        {"Composite font", kComposite, [](CMySheet& s) { Click(CMP(s).font); },
         [](options::BatchOptions& o) {
             o.CompositeFontName = "DejaVu Serif";
             o.CompositeFontSize = 20;
             o.CompositeTextColor = options::MakeColour(40, 50, 60);
         }},
        CLICK_ROW(CompositeWriteFileName, kComposite, CMP(s).writeFileName, 0),
    };
}

// The page names the face the labels are drawn in beside the one chosen,
// and keeps the one chosen.
TEST(OptionsSheet, CompositePageSaysWhichFaceDrawsTheLabels) {
    SheetFakes fakes;
    const struct {
        const char* chosen;
        std::string shown;
    } rows[] = {
        {"Arial", "Arial (" + documents::LabelFontFamily("Arial", 14) + "), 14 pt"},
        {"Liberation Sans", "Liberation Sans, 14 pt"},
    };
    ASSERT_EQ(documents::LabelFontFamily("Liberation Sans", 14), "Liberation Sans");
    ASSERT_NE(documents::LabelFontFamily("Arial", 14), "Arial")
        << "this system has no Arial of its own";
    for (const auto& r : rows) {
        options::BatchOptions options;
        options.CompositeMakeComposite = 1;
        fakes.chosenFont = {QString::fromLatin1(r.chosen), 14, options::MakeColour(1, 2, 3)};
        CMySheet sheet(options);
        ASSERT_TRUE(sheet.showPage(kComposite));
        Click(CMP(sheet).font);
        EXPECT_EQ(CMP(sheet).fontSample->text().toStdString(), r.shown);
        sheet.accept();
        EXPECT_EQ(options.CompositeFontName, r.chosen);
    }
}

// Each field changed through its control: Cancel leaves the record as it
// was; OK puts exactly the new value in the record and the store keeps it.
// Together the rows reach every stored value but the main window's.
TEST(OptionsSheet, EveryFieldThroughItsControl) {
    SheetFakes fakes;
    const options::BatchOptions base = Baseline();
    const auto baseStore = Stored(base);
    std::set<std::string> reached;
    for (const FieldRow& row : FieldRows()) {
        SCOPED_TRACE(row.name);
        options::BatchOptions options = base;
        {
            CMySheet sheet(options);
            ASSERT_TRUE(sheet.showPage(row.page));
            row.change(sheet);
            sheet.reject();
        }
        EXPECT_EQ(options, base);

        {
            CMySheet sheet(options);
            ASSERT_TRUE(sheet.showPage(row.page));
            row.change(sheet);
            sheet.accept();
            EXPECT_EQ(sheet.result(), QDialog::Accepted);
        }
        options::BatchOptions expected = base;
        row.expect(expected);
        EXPECT_EQ(options, expected);
        EXPECT_NE(options, base);

        MemoryProfileStore store;
        options.Save(store);
        options::BatchOptions loaded;
        loaded.Load(store);
        loaded.HTMLWritePCX = options.HTMLWritePCX;  // not stored
        EXPECT_EQ(loaded, options);
        for (const auto& [name, value] : store.Values())
            if (baseStore.at(name) != value) reached.insert(name);
    }
    EXPECT_TRUE(fakes.shown.empty()) << fakes.Texts().join('|').toStdString();

    std::set<std::string> missing;
    const std::set<std::string> windowFields = {
        "MainSrcPath",      "MainDestPath",         "MainWidth",
        "MainHeight",       "MainEnlarge",          "MainResizeMethod",
        "MainOutputFormat", "MainEnableSingleFile", "OpsErrorLogWindow"};
    for (const auto& [name, value] : baseStore)
        if (!reached.count(name) && !windowFields.count(name)) missing.insert(name);
    EXPECT_TRUE(missing.empty()) << *missing.begin();
}

TEST(OptionsSheet, NinePagesInTabOrderEachWithItsHelpTopic) {
    options::BatchOptions options;
    CMySheet sheet(options);
    EXPECT_EQ(sheet.windowTitle(), "Vignettor Options");
    const std::vector<std::pair<QString, QString>> pages = {
        {"File/Dir Options", "files-and-folders.html"},
        {"Operation", "operation.html"},
        {"PNG", "png.html"},
        {"JPG", "jpeg.html"},
        {"Image", "image.html"},
        {"Overlay Image", "overlay.html"},
        {"Log", "log.html"},
        {"HTML Log Files", "html-pages.html"},
        {"Composite", "composite.html"}};
    ASSERT_EQ(sheet.pageCount(), 9);

    struct Opener : widgets::HelpOpener {
        void Open(const QUrl& url) override { opened << url.fileName(); }
        QStringList opened;
    } opener;
    widgets::SetHelpOpener(&opener);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(sheet.tabs()->tabText(i), pages[i].first);
        EXPECT_EQ(widgets::HelpTopicFile(sheet.page(i)->helpTopic()), pages[i].second);
        sheet.showPage(i);
        sheet.showHelp();
    }
    widgets::SetHelpOpener(nullptr);
    if (widgets::HelpFolder().isEmpty()) GTEST_SKIP() << "no manual beside the test";
    ASSERT_EQ(opener.opened.size(), 9);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(opener.opened[i], pages[i].second);
}

// The sheet takes the height of the page in view: a short page leaves no
// empty band, yet every control of every page, wrapped texts included, is
// shown whole, and no page makes the sheet taller than its tallest page did.
TEST(OptionsSheet, TheSheetIsAsTallAsThePageInView) {
    options::BatchOptions options;
    CMySheet sheet(options);
    sheet.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sheet));
    std::vector<int> heights;
    for (int i = 0; i < sheet.pageCount(); ++i) {
        ASSERT_TRUE(sheet.showPage(i));
        QCoreApplication::processEvents();
        heights.push_back(sheet.height());
        QWidget* page = sheet.page(i);
        for (QWidget* w : page->findChildren<QWidget*>()) {
            const bool captioned = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w);
            if (!captioned || !w->isVisibleTo(page)) continue;
            const QRect r(w->mapTo(page, QPoint(0, 0)), w->size());
            EXPECT_LE(r.bottom(), page->rect().bottom())
                << "page " << i << ": " << w->objectName().toStdString() << " is cut off";
            const QSize least = w->minimumSizeHint();
            if (w->hasHeightForWidth())
                EXPECT_GE(w->height(), w->heightForWidth(w->width()))
                    << "page " << i << ": " << w->objectName().toStdString() << " is squeezed";
            else if (least.isValid())
                EXPECT_GE(w->height(), least.height())
                    << "page " << i << ": " << w->objectName().toStdString() << " is squeezed";
        }
    }
    const int tallest = *std::max_element(heights.begin(), heights.end());
    EXPECT_LT(heights[kJpg], tallest * 3 / 4);
    EXPECT_LT(heights[kLog], tallest * 3 / 4);
    ASSERT_TRUE(sheet.showPage(kHtml));
    QCoreApplication::processEvents();
    EXPECT_EQ(sheet.height(), heights[kHtml]);
}

// Dates that do not read as day/month/year switch the filter off, after
// saying so; the sheet still closes.
TEST(OptionsSheet, InvalidDatesSwitchTheDateFilterOff) {
    for (const char* text : {"32/1/1999", "0/5/1999", "12/13/1999", "1.5.1999", "5/6"}) {
        SCOPED_TRACE(text);
        SheetFakes fakes;
        options::BatchOptions options = Baseline();
        CMySheet sheet(options);
        sheet.outputPage()->ui().dateEdit->setText(text);
        sheet.accept();
        EXPECT_EQ(sheet.result(), QDialog::Accepted);
        EXPECT_EQ(fakes.Texts(), QStringList{"This is not a valid date"});
        EXPECT_EQ(options.OutputDateFilter, 0);
        EXPECT_EQ(options.OutputDateDate, Baseline().OutputDateDate);
        EXPECT_FALSE(sheet.outputPage()->ui().useDateFilter->isChecked());
    }
    // An empty date turns the filter off without a word.
    SheetFakes fakes;
    options::BatchOptions options = Baseline();
    CMySheet sheet(options);
    sheet.outputPage()->ui().dateEdit->clear();
    sheet.accept();
    EXPECT_TRUE(fakes.shown.empty());
    EXPECT_EQ(options.OutputDateFilter, 0);
}

// Corrections made when a page is left (here by changing tabs) show in the
// controls and reach the record.
TEST(OptionsSheet, LeavingAPageCorrectsVisibly) {
    SheetFakes fakes;
    options::BatchOptions options = Baseline();
    CMySheet sheet(options);
    auto& out = sheet.outputPage()->ui();
    out.nameFilter->setText("   ");
    out.branchFromSource->click();
    out.branchPath->clear();
    ASSERT_TRUE(sheet.showPage(kPng));
    EXPECT_EQ(out.nameFilter->text(), "*");
    EXPECT_EQ(out.branchPath->text(), "Thumbs");

    struct Case {
        Page page;
        CUpDownEdit* edit;
        int typed, shown;
    };
    const Case cases[] = {
        {kOverlay, sheet.overlayPage()->ui().colourCount, 1, 2},
        {kOverlay, sheet.overlayPage()->ui().colourCount, 40, 32},
        {kHtml, sheet.htmlPage()->ui().columns, 0, 1},
        {kHtml, sheet.htmlPage()->ui().maxImages, -3, 1},
        {kHtml, sheet.htmlPage()->ui().maxImages, 5000, 1000},
        {kComposite, sheet.compositePage()->ui().rows, 0, 1},
        {kComposite, sheet.compositePage()->ui().cols, 11, 10},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(sheet.showPage(c.page));
        c.edit->setValue(c.typed);
        ASSERT_TRUE(sheet.showPage(kOutput));
        EXPECT_EQ(c.edit->value(), c.shown) << c.typed;
    }
    sheet.accept();
    EXPECT_EQ(options.OutputFilterString, "*");
    EXPECT_EQ(options.OutputBranchPath, "Thumbs");
    EXPECT_EQ(options.OverlayQuantizeColors, 32);
    EXPECT_EQ(options.HTMLTableCols, 1);
    EXPECT_EQ(options.HTMLMaxImages, 1000);
    EXPECT_EQ(options.CompositeRows, 1);
    EXPECT_EQ(options.CompositeCols, 10);
    EXPECT_TRUE(fakes.shown.empty());
}

// Numbers that fail their check keep the page open: the tab does not
// change and OK does not close the sheet.
TEST(OptionsSheet, RefusedNumbersKeepThePageOpen) {
    struct Case {
        Page page;
        std::function<void(CMySheet&)> change;
        QString message;
        std::string storedKey = {};
    };
    const Case cases[] = {
        {kJpg, [](CMySheet& s) { s.jpgPage()->ui().quality->setValue(0); },
         "Please enter an integer between 1 and 100."},
        {kJpg, [](CMySheet& s) { s.jpgPage()->ui().quality->setValue(101); },
         "Please enter an integer between 1 and 100."},
        {kOperation, [](CMySheet& s) { OPS(s).threads->setValue(65); },
         "Please enter an integer between 0 and 64."},
        {kPng, [](CMySheet& s) { PNG(s).screenGamma->setText("2,2"); }, "Please enter a number."},
        {kPng, [](CMySheet& s) { PNG(s).fileGamma->setText(""); }, "Please enter a number."},
        // Typing stops at 79 characters; a longer stored key is refused.
        {kPng, [](CMySheet&) {}, "Please enter no more than 79 characters.", std::string(80, 'k')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        SheetFakes fakes;
        options::BatchOptions start = Baseline();
        if (!c.storedKey.empty()) start.PNGKey = c.storedKey;
        options::BatchOptions options = start;
        CMySheet sheet(options);
        ASSERT_TRUE(sheet.showPage(c.page));
        c.change(sheet);
        EXPECT_FALSE(sheet.showPage(kLog));
        EXPECT_EQ(sheet.tabs()->currentIndex(), c.page);
        sheet.accept();
        EXPECT_NE(sheet.result(), QDialog::Accepted);
        EXPECT_TRUE(options == start);
        EXPECT_EQ(fakes.Texts(), QStringList(2, c.message));
    }
}

// A missing log or page name is pointed out, and the page is left anyway.
TEST(OptionsSheet, MissingFileNamesAreWarnedAbout) {
    SheetFakes fakes;
    options::BatchOptions options = Baseline();
    CMySheet sheet(options);
    sheet.showPage(kLog);
    sheet.logPage()->ui().logPath->clear();
    EXPECT_TRUE(sheet.showPage(kHtml));
    sheet.htmlPage()->ui().baseName->clear();
    sheet.accept();
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    ASSERT_EQ(fakes.shown.size(), 2u);
    EXPECT_EQ(fakes.shown[0].text, "Warning :\nNo log file name specified");
    EXPECT_EQ(fakes.shown[1].text, "Warning :\nNo HTML log file name specified");
    for (const auto& m : fakes.shown) {
        EXPECT_EQ(m.icon, widgets::MessageIcon::Warning);
        EXPECT_EQ(m.caption, "Vignettor v4.4");
    }
}

// "Reset all options" acts on OK only, after the pages were written back:
// silent operation keeps the value the page gave it.
TEST(OptionsSheet, ResetAllOptionsActsOnOkOnly) {
    options::BatchOptions options = Baseline();
    {
        CMySheet sheet(options);
        sheet.showPage(kOperation);
        sheet.operationPage()->ui().resetAll->click();
        sheet.reject();
    }
    EXPECT_EQ(options, Baseline());

    options.MainWidth = 640;
    options.MainResizeMethod = options::Percent;
    options.MainOutputFormat = options::FormatGif;
    CMySheet sheet(options);
    sheet.showPage(kOperation);
    sheet.operationPage()->ui().silentOperation->click();
    sheet.operationPage()->ui().resetAll->click();
    EXPECT_TRUE(sheet.operationPage()->ui().resetNote->isVisibleTo(&sheet));
    sheet.accept();
    options::BatchOptions reset = Baseline();
    reset.Reset();
    reset.OpsSilentOperation = 1;
    EXPECT_NEAR(static_cast<double>(options.OutputDateDate),
                static_cast<double>(reset.OutputDateDate), 5.0);
    reset.OutputDateDate = options.OutputDateDate;
    EXPECT_EQ(options, reset);
}

// "Advanced..." in the main window: the sheet edits the window's record; a
// reset follows into the window's size fields, lists and labels; closing
// the window stores what the sheet set.
TEST(OptionsSheet, OpenedFromTheMainWindow) {
    SheetFakes fakes;
    MemoryProfileStore store;
    options::BatchOptions options = Baseline();
    options.MainWidth = 640;
    options.MainResizeMethod = options::Percent;
    options.MainOutputFormat = options::FormatGif;
    options.OpsErrorLogWindow = 1;
    MainWindow window(options, store);
    const auto find = [&window](const char* name) { return window.findChild<QWidget*>(name); };
    auto* advanced = static_cast<QPushButton*>(find("advancedButton"));

    OnNextModal(
        [](QDialog& d) { static_cast<CMySheet&>(d).operationPage()->ui().resetAll->click(); },
        false);
    advanced->click();
    EXPECT_EQ(options.MainWidth, 640);
    EXPECT_EQ(static_cast<QComboBox*>(find("resizeList"))->currentText(), "Percent");

    OnNextModal([&window](QDialog& d) {
        EXPECT_TRUE(window.optionsSheetOpen());
        auto& sheet = static_cast<CMySheet&>(d);
        sheet.showPage(kJpg);
        sheet.jpgPage()->ui().quality->setValue(55);
        sheet.showPage(kOperation);
    });
    advanced->click();
    EXPECT_FALSE(window.optionsSheetOpen());
    EXPECT_EQ(options.JPGQuality, 55);

    OnNextModal([](QDialog& d) {
        auto& sheet = static_cast<CMySheet&>(d);
        sheet.showPage(kOperation);
        sheet.operationPage()->ui().resetAll->click();
    });
    advanced->click();
    EXPECT_EQ(options.MainWidth, 100);
    EXPECT_EQ(options.JPGQuality, 75);
    EXPECT_EQ(static_cast<QLineEdit*>(find("widthEdit"))->text(), "100");
    EXPECT_EQ(static_cast<QComboBox*>(find("resizeList"))->currentText(), "Best Fit");
    EXPECT_EQ(static_cast<QComboBox*>(find("formatList"))->currentText(), "JPG");
    EXPECT_EQ(static_cast<QLabel*>(find("widthLabel"))->text().remove('&'), "Width");
    EXPECT_TRUE(find("logPaneFrame")->isHidden()) << "the reset closes the error log pane";

    OnNextModal([](QDialog& d) {
        auto& sheet = static_cast<CMySheet&>(d);
        sheet.showPage(kComposite);
        sheet.compositePage()->ui().rows->setValue(3);
    });
    advanced->click();
    window.close();
    EXPECT_EQ(store.ReadInt("CompositeRows", 0), 3);
    EXPECT_EQ(store.ReadInt("OutputFilterGIF", 1), 0);
    EXPECT_TRUE(fakes.shown.empty());
}

// Per page: what a control's state enables, disables or sets.
TEST(OptionsSheet, EnableRules) {
    SheetFakes fakes;
    options::BatchOptions options = Baseline();
    options.OutputRenameStyle = options::Overwrite;
    options.OverlayNoTransparency = 1;
    options.PNGKey.clear();
    CMySheet sheet(options);

    auto& out = sheet.outputPage()->ui();
    QTest::keyClicks(out.extraText, "x");
    EXPECT_TRUE(out.renamePrefix->isChecked());
    out.renameAutoNumber->click();
    EXPECT_FALSE(out.extraText->isEnabled());
    out.duplicateTree->click();
    EXPECT_TRUE(out.recurse->isChecked());
    EXPECT_FALSE(out.recurse->isEnabled());
    EXPECT_FALSE(out.branchFromSource->isEnabled());
    EXPECT_FALSE(out.branchPath->isEnabled());
    out.recurse->setChecked(false);
    EXPECT_TRUE(out.recurse->isChecked());
    out.duplicateTree->click();
    EXPECT_TRUE(out.recurse->isEnabled());
    out.branchFromSource->click();
    EXPECT_TRUE(out.branchPath->isEnabled());
    EXPECT_FALSE(out.duplicateTree->isEnabled());

    auto& png = sheet.pngPage()->ui();
    EXPECT_FALSE(png.text->isEnabled());
    png.key->setText("K");
    EXPECT_TRUE(png.text->isEnabled());

    auto& img = sheet.imagePage()->ui();
    EXPECT_FALSE(img.lutPath->isEnabled());
    EXPECT_FALSE(img.lutBrowse->isEnabled());
    img.enhanceUserLut->click();
    EXPECT_TRUE(img.lutPath->isEnabled() && img.lutBrowse->isEnabled());

    auto& ovl = sheet.overlayPage()->ui();
    EXPECT_FALSE(ovl.quantizePosterize->isEnabled());
    EXPECT_FALSE(ovl.colourCount->isEnabled());
    ovl.noTransparency->click();
    EXPECT_TRUE(ovl.quantizeNormal->isEnabled() && ovl.colourCount->isEnabled());
    ovl.quantizeNormal->click();
    EXPECT_FALSE(ovl.colourCount->isEnabled());
    ovl.overlay->click();
    for (QWidget* w : std::initializer_list<QWidget*>{
             ovl.path, ovl.browse, ovl.positionBox, ovl.positionEdges, ovl.rotate90,
             ovl.quantizePosterize, ovl.sizeToFit, ovl.noTransparency, ovl.transColour, ovl.opacity,
             ovl.preview})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();

    auto& log = sheet.logPage()->ui();
    EXPECT_TRUE(log.logInputDims->isEnabled());
    log.logInputName->click();
    EXPECT_FALSE(log.logInputDims->isEnabled());
    log.makeLog->click();
    for (QWidget* w : std::initializer_list<QWidget*>{log.appendLog, log.logPath, log.logBrowse,
                                                      log.logHeader, log.logOutputDims})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();

    auto& htm = sheet.htmlPage()->ui();
    htm.srcPagesInput->click();
    htm.srcLink->click();
    EXPECT_TRUE(htm.srcPagesNone->isChecked());
    EXPECT_FALSE(htm.textLink->isEnabled() || htm.srcPagesOutput->isEnabled());
    htm.makeIndex->click();
    EXPECT_FALSE(htm.singleIndex->isEnabled());
    htm.horizontal->click();
    htm.makeTable->click();
    EXPECT_FALSE(htm.horizontal->isChecked() || htm.horizontal->isEnabled());
    htm.makeHtml->click();
    for (QWidget* w : std::initializer_list<QWidget*>{htm.baseName, htm.maxImages, htm.columns,
                                                      htm.target, htm.appearance, htm.header})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();

    auto& cmp = sheet.compositePage()->ui();
    cmp.makeComposite->click();
    EXPECT_FALSE(cmp.baseName->isEnabled() || cmp.font->isEnabled());
    QTest::mouseDClick(cmp.background, Qt::LeftButton, {}, cmp.background->rect().center());
    EXPECT_EQ(fakes.colourRequests, 0);
}

// The extension library is looked for beside the program; each failure
// names the library and the step.
TEST(OptionsSheet, ExtensionRegistrationMessages) {
    test::TempDir empty;
    test::TempDir notALibrary;
    ASSERT_TRUE(test::WriteFileText(notALibrary / "libvigshell.so", "not a library"));
    struct Case {
        QString folder;
        bool enable;
        QString text;
        widgets::MessageIcon icon;
    };
    const Case cases[] = {
        {QString::fromStdString(empty.path()), true,
         "Can't find libvigshell.so !\nShell extension enable failed.",
         widgets::MessageIcon::Critical},
        {QString::fromStdString(empty.path()), false,
         "Can't find libvigshell.so !\nShell extension disable failed.",
         widgets::MessageIcon::Critical},
        {QString::fromStdString(notALibrary.path()), true,
         "LoadLibrary failed : libvigshell.so !\nShell extension enable failed.",
         widgets::MessageIcon::Critical},
        {VIG_FAKE_SHELL_DIR, true,
         "Shell extension enable succeeded.\nYou must restart your file manager for this change "
         "to take effect.",
         widgets::MessageIcon::None},
        {VIG_FAKE_SHELL_DIR, false,
         "GetProcAddress failed : libvigshell.so !\nShell extension disable failed.",
         widgets::MessageIcon::Critical},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        SheetFakes fakes;
        options::BatchOptions options;
        CMySheet sheet(options);
        sheet.operationPage()->setExtensionFolder(c.folder);
        (c.enable ? sheet.operationPage()->ui().enableShell
                  : sheet.operationPage()->ui().disableShell)
            ->click();
        ASSERT_EQ(fakes.shown.size(), 1u);
        EXPECT_EQ(fakes.shown[0].text, c.text);
        EXPECT_EQ(fakes.shown[0].icon, c.icon);
        EXPECT_EQ(fakes.shown[0].caption,
                  c.enable ? "Shell extension enable" : "Shell extension disable");
    }
}

}  // namespace
}  // namespace vig::ui
