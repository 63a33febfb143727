#include "Commands.h"

namespace cli {

// Each command group lives in its own file and adds its commands here: to add
// a group, write its file and add its line to both lists below.
void addSetupCommands(CommandList& list);    // init, tables
void addCalcCommands(CommandList& list);     // calc
void addReportCommands(CommandList& list);   // report design|summary|rational
void addRationalCommands(CommandList& list); // rational
void addCopyCommands(CommandList& list);     // copy-project, copy-design
void addSansCommands(CommandList& list);     // sans204, report sans204
void addExchangeCommands(CommandList& list); // export, load
void addLegacyCommands(CommandList& list);   // import-legacy, legacy-dump
void addDrawingCommands(CommandList& list);  // drawing
void addQuoteCommands(CommandList& list);    // quote-settings, report quote
void addGlazingCommands(CommandList& list);  // glazing compute|add|delete
void addStoreCommands(CommandList& list);    // copy-store

const CommandList& commands() {
    static const CommandList all = [] {
        CommandList list;
        addSetupCommands(list);
        addCalcCommands(list);
        addReportCommands(list);
        addRationalCommands(list);
        addCopyCommands(list);
        addSansCommands(list);
        addExchangeCommands(list);
        addLegacyCommands(list);
        addDrawingCommands(list);
        addQuoteCommands(list);
        addGlazingCommands(list);
        addStoreCommands(list);
        return list;
    }();
    return all;
}

} // namespace cli
