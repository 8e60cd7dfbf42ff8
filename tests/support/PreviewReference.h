#pragma once

#include "editor/Preview.h"

#include <QImage>

// Reference drawings of the sheet preview, for the tests and benchmarks to compare DrawPreview
// with; the program never draws this way.

// The picture drawn label by label, in row order, through TCanvas.
void DrawPreviewInOrder(QImage& surface, const PreviewInput& input);

// The same picture with every label drawn in order through QPainter.
void DrawPreviewPainter(QImage& surface, const PreviewInput& input);
