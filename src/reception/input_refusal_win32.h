// The notice that the window in front refused a frame's input: a beep at once, and the main
// dialog's caption and tray tip until a later frame is typed whole or reception starts or ends.
#pragma once

// Reader thread: the window in front refused the frame being typed. Beeps and shows the notice.
void ReportInputRefused();
// Shows or takes away the notice; a change posts kPortStateMessage to the main dialog, which
// reads InputRefusedShown for its caption.
void ShowInputRefused(bool refused);
bool InputRefusedShown();
