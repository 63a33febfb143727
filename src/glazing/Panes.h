#pragma once

#include "Unit.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace glazing {

// Typical published broadband figures of common panes, outdoors face first.
// The low-e panes carry their coating on the front face: inside a unit's
// indoor pane that is surface 3; turned round as the outdoor pane, surface 2.
const std::vector<Pane>& shippedPanes();

// The user's own panes live in the working folder, one CSV file with the
// columns of `userPaneHeader`, written whole through QSaveFile.
QString userPanesFile(const QString& workDir);
extern const char* const userPaneHeader;
// A missing file is an empty list. False, with the reason, when the file
// cannot be read or a line is not a valid pane (nothing of it is then used).
bool loadUserPanes(const QString& file, std::vector<Pane>& panes, QString& error);
bool saveUserPanes(const QString& file, const std::vector<Pane>& panes, QString& error);

// The shipped panes and then the user's (a user pane may not reuse a shipped name).
std::vector<Pane> allPanes(const QString& workDir, QString* error = nullptr);
const Pane* findPane(const std::vector<Pane>& panes, const QString& name);

// A pane as the command line and the stored layers write it: a listed pane's
// name, optionally ":flip" to turn it round, or
// "t=MM,tsol=..,rf=..,rb=..,ef=..,eb=..[,k=..][,tvis=..][,rvf=..][,rvb=..]".
bool parsePane(const QString& spec, const std::vector<Pane>& known, Pane& pane, QString& reason);
// The figures written out in full, so that the layers stand without the list.
QString paneSpec(const Pane& pane);

// "WIDTH_MM:GAS", the gas as parseGas takes it.
bool parseGap(const QString& spec, Gap& gap, QString& reason);
QString gapSpec(const Gap& gap);

// Panes and gaps given outdoors first; checked with checkUnit.
bool parseUnit(const QStringList& panes, const QStringList& gaps, const std::vector<Pane>& known,
               Unit& unit, QString& reason);
// The layers as command-line words: "--pane SPEC --gap W:GAS --pane SPEC".
QString layerText(const Unit& unit);
// Reads layerText back (the words of one line).
bool parseLayerText(const QString& text, Unit& unit, QString& reason);

} // namespace glazing
