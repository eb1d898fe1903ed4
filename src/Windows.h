#pragma once

class Forms;

// Registers the factory of every window of the program with the registry.
void registerWindows(Forms& forms);
