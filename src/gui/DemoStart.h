#pragma once

#include <QString>

class CWinTesselTestView;

// What a user does by hand to see a live display with no hardware: choose the QZ4
// Simulator in both port dialogs, Get Setup Information, StartTimer. False, with
// `error` set, when the simulator's ports could not be opened.
bool StartDemo(CWinTesselTestView& view, QString* error);
