#pragma once

// Command ids of the menu, accelerators and toolbar. The program's own run from
// 32771 to 32784; the framework's standard ids keep their standard values.
namespace CommandId {
constexpr int MidiInPortSelect = 32771;
constexpr int MidiOutPortSelect = 32772;
constexpr int StripStatistics = 32773;
constexpr int GetSetupInformation = 32774;
constexpr int StopTimer = 32775;
constexpr int StartTimer = 32776;
constexpr int ScanDump = 32777;
constexpr int ClearScreen = 32778;
constexpr int MenuFileNew = 32779;
constexpr int MenuFileOpen = 32780;
constexpr int MenuFilePrint = 32781;
constexpr int MenuFilePrintPreview = 32782;
constexpr int MenuFilePrintSetup = 32783;
constexpr int MenuRecentFile = 32784;
constexpr int ViewSensorLimits = 32785;
constexpr int ViewSensorChart = 32786;

constexpr int FileNew = 57600;
constexpr int FileOpen = 57601;
constexpr int FileSave = 57603;
constexpr int FileSaveAs = 57604;
constexpr int FilePrintSetup = 57606;
constexpr int FilePrint = 57607;
constexpr int FilePrintDirect = 57608;
constexpr int FilePrintPreview = 57609;
constexpr int EditCopy = 57634;
constexpr int EditCut = 57635;
constexpr int EditPaste = 57637;
constexpr int EditUndo = 57643;
constexpr int AppAbout = 57664;
constexpr int AppExit = 57665;
constexpr int NextPane = 57680;
constexpr int PrevPane = 57681;
constexpr int ViewToolbar = 59392;
constexpr int ViewStatusBar = 59393;
} // namespace CommandId
