#include "app/PrinterChoice.h"

#include <QPrinter>

QPrinter& ChosenPrinter() {
    static QPrinter* printer = [] {
        // Kept for the whole program; a printer destroyed after the application object would
        // outlive the print system it talks to.
        auto* chosen = new QPrinter(QPrinter::HighResolution);
        chosen->setResolution(600);
        return chosen;
    }();
    return *printer;
}
