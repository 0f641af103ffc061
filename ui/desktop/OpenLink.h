#pragma once

#include <QString>

class QWidget;

// Opens a link of a timeline entry in the user's web browser; when no browser starts, a message
// over parent says so and names the link.
void OpenLinkOrTell(QWidget* parent, const QString& link);
