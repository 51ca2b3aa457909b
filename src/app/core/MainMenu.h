#pragma once

// Registers the main menu's interface definition, "MainMenu": it makes the application
// controller. Call once before the application loads it.
void registerMainMenuInterfaceDefinition();
