// The "Neuen Stream hinzufuegen" group: appending a station to the working copy from the name and
// URL fields, and the link to the page of example streams.
#pragma once

namespace tandrel {

// "Hinzufuegen": appends the typed station, ticked, unless a field is empty after trimming or the
// list is full; then empties both fields and rebuilds the rows.
void addStreamFromForm();

// The example link: opens the page of example streams in the default browser.
void openExampleStreamsPage();

}  // namespace tandrel
