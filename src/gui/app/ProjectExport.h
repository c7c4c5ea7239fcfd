#pragma once

class CDAXDoc;
class CSettingsPort;
class QWidget;

// File > Export Map: asks for a size and a file (PNG, SVG or PDF by its extension) and writes
// colour map `condition` as the window draws it at that size. File > Export Report: asks for a
// PDF file and writes the project's report, titled with the planner and company the settings
// hold. Failures are reported; nothing is written on Cancel.
void ExportMap(QWidget* parent, CDAXDoc& doc, int condition, int width, int height);
void ExportReport(QWidget* parent, CDAXDoc& doc, CSettingsPort* settings);
