#pragma once

// A message box is a window of its own and takes the desktop's colours, not those of the window
// it stands over. This gives every message box of the program the dark colours of its windows.
void UseDarkMessageBoxes();
