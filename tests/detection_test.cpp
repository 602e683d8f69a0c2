// Version detection against the real files of the corpus and made-up edge cases.
#include <gtest/gtest.h>

#include "CorpusFiles.h"
#include "launcher/Detection.h"
#include "platform/formats/FileNames.h"
#include "platform/interface/FileSystem.h"
#include "tests/scripted/MemoryFiles.h"

namespace pivora::testing {
namespace {

constexpr const char* kD3Unit = "\x41\x86\x51\x44rest";
constexpr const char* kD4Unit = "\xD8\xA6\x68\x47rest";

struct DeskCase {
    const char* file;
    int believed;   // what the corpus notes say wrote it (0: no IDE of ours)
    int detected;   // what the desktop-file rules yield
};

// Where detected and believed differ, the file's layout is the same as that of
// an earlier version, and nothing in the desktop file tells them apart:
// SIGMSGS.DSK is probably a Delphi 1 desktop laid out like a Delphi 2 one, and
// the C++Builder project has no project file, so the launcher never reads its
// desktop file in practice.
constexpr DeskCase kDeskCases[] = {
    {"nissaba__Ticket-DB__TicketDB.dsk", 2, 2},
    {"C-Tec-Research__ZFP-Delphi__ComPort.dsk", 2, 2},
    {"C-Tec-Research__ZFP-Delphi__SIGMSGS.DSK", 1, 2},
    {"todoralexov__GaborVisualStimulation2.0__Project1.dsk", 0, 2},
    {"kerm1t__TLookupEdit__Project1.dsk", 3, 3},
    {"yaniv-golan__WebApp__Wap20D3.dsk", 3, 3},
    {"yaniv-golan__WebApp__ServInst.dsk", 3, 3},
    {"cutec-chris__Popelscan__Project1.dsk", 3, 3},
    {"corecoding__kIRC__Project1.dsk", 4, 4},
    {"yaniv-golan__WebApp__HAWapRun.dsk", 4, 4},
    {"C-Tec-Research__ZFP-Delphi__companel.dsk", 4, 4},
    // Later versions also write "Main Window"/"ClientWidth"; they must not open in version 4.
    {"C-Tec-Research__ZFP-Delphi__DSM.dsk", 0, 0},
    {"eddydong__binomial_tree_option_pricing__Project1.dsk", 0, 0},
    {"HumMan__ContextFreeGrammTree__Project1.dsk", 0, 0},
    {"jason-2018__bdbdelphi__ProjectGroup1.dsk", 0, 0},
    {"C-Tec-Research__ZFP-Delphi__v1-1-0-0_ProjectGroupSigFile7.dsk", 0, 0},
    {"C-Tec-Research__ZFP-Delphi__v1-0-9-0_ProjectGroupSigFile7.dsk", 0, 0},
};

class DetectCorpus : public CorpusTest {};

TEST_F(DetectCorpus, EveryDesktopFileBesideItsProject) {
    for (const DeskCase& c : kDeskCases) {
        MemoryFiles files;
        files.files["/p/Project1.dpr"] = "program Project1;\r\n";
        files.files["/p/Project1.dsk"] = Corpus(std::string("dsk/") + c.file);
        EXPECT_EQ(DetectFromDsk(files, "/p/Project1.dpr"), c.detected) << c.file << " (believed " << c.believed << ")";
    }
}

TEST_F(DetectCorpus, EveryCompiledUnitBySignature) {
    const std::pair<const char*, int> cases[] = {
        {"aaronk6__scrgrab__UNIT1.DCU", 1},
        {"C-Tec-Research__ZFP-Delphi__INPOUT.DCU", 1},
        {"nissaba__Ticket-DB__Unit1.dcu", 2},
        {"C-Tec-Research__ZFP-Delphi__ExComPnl.dcu", 2},
        {"yaniv-golan__WebApp__Wap20D3.dcu", 3},
        {"arielseverino__CheckDisbursement__UNIT1.DCU", 3},
        {"cutec-chris__Popelscan__Fmxutils.dcu", 3},
        {"corecoding__kIRC__qAbout.dcu", 4},
        {"C-Tec-Research__ZFP-Delphi__ComPort.dcu", 4},
        {"yaniv-golan__WebApp__Unit1.dcu", 0},
        {"remeshx__Font-Maker__MAIN_UN.DCU", 0},
        {"elmek6__VDraw__UNIT1.DCU", 0},
        {"arielseverino__CheckDisbursement__MAINMENU.DCU", 0},
        {"C-Tec-Research__ZFP-Delphi__SigFile.dcu", 0},
        {"C-Tec-Research__ZFP-Delphi__FMX.SigFile.dcu", 0},
    };
    for (const auto& [file, version] : cases) {
        MemoryFiles files;
        files.files["/p/Unit.dcu"] = Corpus(std::string("dcu/") + file);
        EXPECT_EQ(DetectFromUnit(files, "/p/Unit.dcu"), version) << file;
        // The source and the form of the unit lead to the same compiled unit.
        EXPECT_EQ(DetectFromUnit(files, "/p/Unit.pas"), version) << file;
        EXPECT_EQ(DetectFromUnit(files, "/p/Unit.dfm"), version) << file;
    }
}

struct ProjectCase {
    const char* dpr;
    std::vector<std::pair<std::string, std::string>> units;  // name beside the project, corpus file
    int detected;
};

TEST_F(DetectCorpus, EveryProjectThroughItsUnitList) {
    const std::string d5 = "dcu/remeshx__Font-Maker__MAIN_UN.DCU";
    const std::string d7 = "dcu/arielseverino__CheckDisbursement__MAINMENU.DCU";
    const ProjectCase cases[] = {
        {"nissaba__Ticket-DB__TicketDB.dpr", {{"Unit1.dcu", "dcu/nissaba__Ticket-DB__Unit1.dcu"}}, 2},
        // Root-relative unit paths name nothing beside the project.
        {"C-Tec-Research__ZFP-Delphi__LogSrvr.dpr", {{"Main.dcu", "dcu/nissaba__Ticket-DB__Unit1.dcu"}}, 0},
        {"yaniv-golan__WebApp__Project1.dpr", {}, 0},
        // 'Unit1.pas' finds UNIT1.DCU: the names differ only in case.
        {"arielseverino__CheckDisbursement__PROJECT1.DPR", {{"UNIT1.DCU", "dcu/arielseverino__CheckDisbursement__UNIT1.DCU"}}, 3},
        {"cutec-chris__Popelscan__Project1.dpr", {{"Lasersoftware.dcu", d5}, {"Ausgabe.dcu", d5}, {"Easylase.dcu", d5}}, 0},
        // The first unit's compiled unit is missing; the second one decides.
        {"corecoding__kIRC__Project1.dpr", {{"qAbout.dcu", "dcu/corecoding__kIRC__qAbout.dcu"}}, 4},
        {"remeshx__Font-Maker__GFONT_MAKER.DPR", {{"MAIN_UN.DCU", d5}}, 0},
        {"arielseverino__CheckDisbursement__Cashdisb.dpr", {{"MAINMENU.DCU", d7}, {"DLGRPAR1.DCU", d7}}, 0},
    };
    for (const ProjectCase& c : cases) {
        MemoryFiles files;
        files.files["/p/Project.dpr"] = Corpus(std::string("dpr/") + c.dpr);
        for (const auto& [name, corpusFile] : c.units) files.files["/p/" + name] = Corpus(corpusFile);
        EXPECT_EQ(DetectFromDpr(files, "/p/Project.dpr"), c.detected) << c.dpr;
    }
}

class DetectEdge : public ::testing::Test {
protected:
    MemoryFiles files;
};

TEST_F(DetectEdge, DesktopFileWinsOverTheUnits) {
    files.files["/p/P.dpr"] = "uses Main in 'Main.pas';\r\n";
    files.files["/p/Main.dcu"] = kD3Unit;
    files.files["/p/P.dsk"] = "[Main Window]\r\nClientWidth=1\r\n";
    EXPECT_EQ(DetectFromDsk(files, "/p/P.dpr"), 4);
    EXPECT_EQ(DetectFromDpr(files, "/p/P.dpr"), 3);
}

TEST_F(DetectEdge, EmptyOrBlankProbesFallThroughInOrder) {
    files.files["/p/P.dpr"] = "";
    files.files["/p/P.dsk"] = "[Main Window]\r\nClientWidth=   \r\n[MainWindow]\r\nClientWidth=\r\nWidth=640\r\n";
    EXPECT_EQ(DetectFromDsk(files, "/p/P.dpr"), 2);
    files.files["/p/P.dsk"] = "[main window]\nclientwidth=5\n";  // names match without regard to case
    EXPECT_EQ(DetectFromDsk(files, "/p/P.dpr"), 4);
    files.files["/p/P.dsk"] = "[Other]\r\nWidth=640\r\n";
    EXPECT_EQ(DetectFromDsk(files, "/p/P.dpr"), 0);
}

TEST_F(DetectEdge, LaterVersionMarkersNeedAValue) {
    files.files["/p/P.dpr"] = "";
    files.files["/p/P.dsk"] = "[Main Window]\r\nClientWidth=9\r\nPercentageSizes=\r\n[PropertyInspector]\r\nArrangeBy=\r\n";
    EXPECT_EQ(DetectFromDsk(files, "/p/P.dpr"), 4);
    files.files["/p/P.dsk"] = "[Main Window]\r\nClientWidth=9\r\n[PropertyInspector]\r\nArrangeBy=Name\r\n[MainWindow]\r\nClientWidth=3\r\n";
    EXPECT_EQ(DetectFromDsk(files, "/p/P.dpr"), 3);
}

TEST_F(DetectEdge, OnlyProjectFilesHaveDesktopFilesAndUnitLists) {
    files.files["/p/P.dsk"] = "[Main Window]\r\nClientWidth=1\r\n";
    files.files["/p/P.pas"] = "";
    EXPECT_EQ(DetectFromDsk(files, "/p/P.pas"), 0);
    EXPECT_EQ(DetectFromDsk(files, "/p/P.dsk"), 0);  // a desktop file as the argument is not read
    EXPECT_EQ(DetectFromUnit(files, "/p/P.dsk"), 0);
    EXPECT_EQ(DetectFromDpr(files, "/p/P.pas"), 0);
    EXPECT_EQ(DetectFromDsk(files, "/p/Missing.dpr"), 0);
}

TEST_F(DetectEdge, ExtensionsAreComparedAfterLowerCasing) {
    files.files["/p/PROJECT1.DPR"] = "";
    files.files["/p/PROJECT1.DSK"] = "[MainWindow]\r\nClientWidth=1\r\n";
    EXPECT_EQ(DetectFromDsk(files, "/p/PROJECT1.DPR"), 3);
    files.files["/p/Unit1.DCU"] = kD4Unit;
    EXPECT_EQ(DetectFromUnit(files, "/p/Unit1.PAS"), 4);
}

TEST_F(DetectEdge, UnitMarkersAreCaseSensitive) {
    files.files["/p/P.dpr"] = "  Unit1 in 'Unit1.PAS' {Form1},\r\n  Unit2 IN 'Unit2.pas',\r\n";
    files.files["/p/Unit1.dcu"] = kD4Unit;
    files.files["/p/Unit2.dcu"] = kD4Unit;
    EXPECT_EQ(DetectFromDpr(files, "/p/P.dpr"), 0);
}

TEST_F(DetectEdge, UnitLinesAreReadLiterally) {
    files.files["/p/A.dcu"] = kD3Unit;
    files.files["/p/B.dcu"] = kD4Unit;
    // Only the first clause of a line counts.
    files.files["/p/P.dpr"] = "  A in 'A.pas', B in 'B.pas';\r\n";
    EXPECT_EQ(DetectFromDpr(files, "/p/P.dpr"), 3);
    // ".pas'" before the first " in '" skips the whole line.
    files.files["/p/P.dpr"] = "{ X.pas' } A in 'A.pas';\r\n  B in 'B.pas';\r\n";
    EXPECT_EQ(DetectFromDpr(files, "/p/P.dpr"), 4);
    // A clause inside a comment counts like any other line.
    files.files["/p/P.dpr"] = "{ B in 'B.pas' }\r\n  A in 'A.pas';\r\n";
    EXPECT_EQ(DetectFromDpr(files, "/p/P.dpr"), 4);
    // A last line without a line end, and LF-only files, are read too.
    files.files["/p/P.dpr"] = "program P;\n  A in 'A.pas';";
    EXPECT_EQ(DetectFromDpr(files, "/p/P.dpr"), 3);
}

TEST_F(DetectEdge, OverLongLinesAndNamesWithANulArePassedOver) {
    files.files["/p/A.dcu"] = kD3Unit;
    files.files["/p/B.dcu"] = kD4Unit;
    const std::string longLine = "  A in 'A.pas' {" + std::string(64 * 1024, 'x') + "}\r\n";
    files.files["/p/P.dpr"] = longLine + "  B in 'B.pas';\r\n";
    EXPECT_EQ(DetectFromDpr(files, "/p/P.dpr"), 4);
    using namespace std::string_literals;
    files.files["/p/P.dpr"] = "  A in 'A.pas\0x\\A.pas';\r\n  B in 'B.pas';\r\n"s;
    EXPECT_EQ(DetectFromDpr(files, "/p/P.dpr"), 4);
}

TEST_F(DetectEdge, OnlyTheHeadOfAHugeProjectIsRead) {
    files.files["/p/A.dcu"] = kD3Unit;
    files.files["/p/B.dcu"] = kD4Unit;
    const std::string filler = std::string(1000, ' ') + "\r\n";
    std::string head;
    while (head.size() < (4u << 20) - 2 * filler.size()) head += filler;
    // A clause whose line ends within the first 4 MiB counts; one cut by the
    // bound, or beyond it, is never read.
    files.files["/p/P.dpr"] = head + "  B in 'B.pas';\r\n";
    EXPECT_EQ(DetectFromDpr(files, "/p/P.dpr"), 4);
    std::string cut = head + filler;
    cut.resize((4u << 20) - 10);
    files.files["/p/P.dpr"] = cut + "  B in 'B.pas';\r\n  A in 'A.pas';\r\n";
    EXPECT_EQ(DetectFromDpr(files, "/p/P.dpr"), 0);
}

TEST_F(DetectEdge, UnitPathsAreRelativeToTheProjectWithWindowsSeparators) {
    // The project's unit list always uses backslashes; on Linux they are read
    // as separators, on Windows they already are. The in-memory files do not fold "..".
    const bool windows = CurrentPathRules().backslashIsSeparator;
    const std::string app = windows ? "C:\\proj\\app\\" : "/proj/app/";
    const std::string dpr = app + "P.dpr";
    files.files[dpr] = "  Util in '..\\Lib\\Util.pas',\r\n  Abs in 'C:\\Lib\\Abs.pas';\r\n";
    files.files[app + (windows ? "..\\Lib\\Util.dcu" : "../Lib/Util.dcu")] = kD3Unit;
    EXPECT_EQ(DetectFromDpr(files, dpr), 3);
    // An absolute unit path joined to the project's directory names nothing.
    files.files[dpr] = "  Abs in 'C:\\Lib\\Abs.pas';\r\n";
    files.files[windows ? "C:\\Lib\\Abs.dcu" : "/C:/Lib/Abs.dcu"] = kD4Unit;
    EXPECT_EQ(DetectFromDpr(files, dpr), 0);
}

TEST_F(DetectEdge, CompiledUnitsThatCannotTell) {
    files.files["/p/Short.dcu"] = "\xD8\xA6\x68";
    EXPECT_EQ(DetectFromUnit(files, "/p/Short.dcu"), 0);
    files.files["/p/Old.dcu"] = "DCU1";
    EXPECT_EQ(DetectFromUnit(files, "/p/Old.dcu"), 1);
    EXPECT_EQ(DetectFromUnit(files, "/p/NoUnit.pas"), 0);
    EXPECT_EQ(DetectFromUnit(files, "/p/NoUnit.dfm"), 0);
}

TEST_F(DetectEdge, CaseVariantsAreFoundOnlyWhenUnambiguous) {
    files.files["/p/Unit1.pas"] = "";
    files.files["/p/UNIT1.DCU"] = kD4Unit;
    EXPECT_EQ(DetectFromUnit(files, "/p/Unit1.pas"), 4);
    files.files["/p/unit1.dcu"] = kD3Unit;  // two candidates: neither is taken
    EXPECT_EQ(DetectFromUnit(files, "/p/Unit1.pas"), 0);
    files.files["/p/Unit1.dcu"] = kD3Unit;  // the exact name always wins
    EXPECT_EQ(DetectFromUnit(files, "/p/Unit1.pas"), 3);
}

TEST_F(DetectEdge, UnreadableProjectOrUnitIsAFailureNotAnAnswer) {
    files.files["/p/P.dpr"] = "";
    files.failReads.insert("/p/P.dpr");
    EXPECT_THROW(DetectFromDpr(files, "/p/P.dpr"), FileError);
    files.files["/p/U.dcu"] = kD4Unit;
    files.failReads.insert("/p/U.dcu");
    EXPECT_THROW(DetectFromUnit(files, "/p/U.dcu"), FileError);
}

}  // namespace
}  // namespace pivora::testing
