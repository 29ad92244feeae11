#pragma once
// Interfaces for the controls Qt's own accessibility does not describe: the status line (a status
// bar read by its text) and the painting surface (a graphic with the name and description set on
// it). Installing more than once changes nothing.

namespace zelk {

void InstallAccessibleFactory();

}  // namespace zelk
