#pragma once
// moravel-run --design FILE: the table of "Obliczenia → Przepływy projektowe..." computed from
// a small UTF-8 text file that holds the window's inputs, one "klucz: wartość" a line:
//
//   # comments and blank lines are skipped; numbers take a decimal comma or a dot
//   projekt: zlewnia.kpr                      the project, relative to the file's folder
//   czasy trwania: 1; 2; 3; 6; 12; 24         "Czasy trwania w tabeli [h]"
//   p 1: 36; 43; 48; 57; 69; 83               one line a probability [%]: its depths [mm]
//   kształt: Euler typ II                     "Kształt hietogramu", as the window lists it
//   szczyt w: 33 %                            the alternating block's peak (else 50 %)
//   krzywa sumowa: 30; 20                     the user's curve: a pair of shares a line
//   czas trwania: 24                          "Czas trwania opadu" [h]
//   czas krytyczny: tak                       each of the table's durations instead
//
// The storms are built as the window builds them (model/DesignFloodCases.h), with its
// messages; a message names the file and the line it is about.
namespace moravel::cli {

struct Arguments;

// Writes the table as CSV (--out, else standard output) and with --xlsx the window's
// workbook. Throws moravel::Error (exit code 1) for the data, OutputError for an output.
int RunDesign(const Arguments& a);

}  // namespace moravel::cli
