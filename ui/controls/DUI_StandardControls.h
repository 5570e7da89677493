#pragma once
// Makes the standard kinds buildable by kind name (DUI_BuildControl), which
// is how a window builds its caption buttons, icon and title label. Called
// once at start-up, after which a later registration of the same kind (a
// demo's own) still replaces it.
int DUI_RegisterStandardControls();
