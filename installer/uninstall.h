// Tolvane.exe /uninstall: takes Tolvane's tool entries and toolbar items out
// of the IDE's files again, after the language chooser and one question.
#pragma once

void RunUninstall();
