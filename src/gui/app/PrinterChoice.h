#pragma once

class QPrinter;

// The printer of the desktop program: File > Print Setup chooses it, and printing and the print
// preview of every project print on it. High resolution at 600 dpi until the user changes it.
QPrinter& ChosenPrinter();
