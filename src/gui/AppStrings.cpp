#include "gui/AppStrings.h"

#include "gui/CommandIds.h"

#include <QHash>

namespace {

const QHash<int, QString>& Table() {
    static const QHash<int, QString> table = {
        {AppStrings::kOleInitFailed, "OLE initialization failed.  Make sure that the OLE "
                                     "libraries are the correct version."},
        {AppStrings::kDocumentString,
         "WinTesselTest\n\nWinTes\n\n\nWinTesselTest.Document\nWinTes Document"},
        {AppStrings::kAppName, "WinTesselTest"},
        {AppStrings::kIdleMessage, "Ready"},
        {CommandId::StripStatistics, "Display Stats about instalation"},
        {59137, "CAP"},
        {59138, "NUM"},
        {59139, "SCRL"},
        // The framework's standard prompts for its own command ids.
        {CommandId::FileNew, "Create a new document\nNew"},
        {CommandId::FileOpen, "Open an existing document\nOpen"},
        {CommandId::FileSave, "Save the active document\nSave"},
        {CommandId::FileSaveAs, "Save the active document with a new name\nSave As"},
        {CommandId::FilePrintSetup, "Change the printer and printing options\nPrint Setup"},
        {CommandId::FilePrint, "Print the active document\nPrint"},
        {CommandId::FilePrintPreview, "Display full pages\nPrint Preview"},
        {CommandId::EditUndo, "Undo the last action\nUndo"},
        {CommandId::EditCut, "Cut the selection and put it on the Clipboard\nCut"},
        {CommandId::EditCopy, "Copy the selection and put it on the Clipboard\nCopy"},
        {CommandId::EditPaste, "Insert Clipboard contents\nPaste"},
        {CommandId::AppAbout, "Display program information, version number and copyright\nAbout"},
        {CommandId::AppExit, "Quit the application; prompts to save documents\nExit"},
        {CommandId::NextPane, "Switch to the next window pane\nNext Pane"},
        {CommandId::PrevPane, "Switch back to the previous window pane\nPrevious Pane"},
        {CommandId::ViewToolbar, "Show or hide the toolbar\nToggle ToolBar"},
        {CommandId::ViewStatusBar, "Show or hide the status bar\nToggle StatusBar"},
        {CommandId::ViewSensorLimits,
         "Set the limits that flag an unsteady sensor in red\nSensor Limits"},
        {CommandId::ViewSensorChart,
         "Show every sensor's RMS deviation and swing against the limits\nSensor Chart"},
    };
    return table;
}

} // namespace

QString AppStrings::Load(int id) {
    return Table().value(id);
}

QString AppStrings::Prompt(int commandId) {
    return Load(commandId).section('\n', 0, 0);
}

QString AppStrings::Tooltip(int commandId) {
    return Load(commandId).section('\n', 1);
}
