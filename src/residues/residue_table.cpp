#include "residues/residue_table.h"

#include <cstring>

// GLN counts five carbon-bound hydrogens (H-alpha, two H-beta, two H-gamma), as its
// own mass and scattering length do.
const ResidueRecord residue_table[RESIDUE_ROWS] = {
    {"GLY", 0, 2, 1, 58.0574f, 66.4f, 27.654f, 163.072f},
    {"ALA", 1, 4, 1, 72.0842f, 91.5f, 26.821f, 323.593f},
    {"VAL", 2, 8, 1, 100.1378f, 141.7f, 25.154f, 644.635f},
    {"LEU", 3, 10, 1, 114.1646f, 167.9f, 24.32f, 805.156f},
    {"ILE", 4, 10, 1, 114.1646f, 168.8f, 24.32f, 805.156f},
    {"PHE", 5, 8, 1, 148.1818f, 203.4f, 51.747f, 644.639f},
    {"TYR", 6, 7, 2, 165.1868f, 203.6f, 67.967f, 566.429f},
    {"TRP", 7, 8, 2, 188.224f, 237.6f, 81.078f, 647.191f},
    {"ASP", 8, 3, 1, 115.0861f, 113.6f, 48.82f, 243.334f},
    {"GLU", 9, 5, 1, 129.1129f, 140.6f, 47.986f, 403.855f},
    {"SER", 10, 3, 2, 89.0892f, 99.1f, 43.041f, 245.383f},
    {"THR", 11, 5, 2, 103.116f, 122.1f, 42.207f, 405.904f},
    {"ASN", 12, 3, 3, 117.1204f, 135.2f, 65.723f, 247.934f},
    {"GLN", 13, 5, 3, 131.1472f, 161.1f, 64.889f, 408.455f},
    {"LYS", 14, 9, 4, 133.2039f, 176.2f, 57.443f, 731.546f},
    {"ARG", 15, 7, 6, 163.2285f, 180.8f, 96.993f, 576.126f},
    {"HIS", 16, 5, 3, 141.1655f, 167.3f, 75.093f, 408.956f},
    {"MET", 17, 8, 1, 132.1978f, 170.8f, 28.001f, 644.642f},
    {"CYS", 18, 3, 2, 105.1498f, 105.6f, 40.083f, 245.39f},
    {"PRO", 19, 7, 0, 97.1164f, 129.3f, 22.221f, 562.325f},
    {"NON", 20, 0, 0, 0.0f, 0.0f, 0.0f, 0.0f},
};

int32_t lookup_three_letter(const char* token, size_t length) {
  if (length != 3) {
    return UNKNOWN_RESIDUE;
  }
  for (int32_t row = 0; row < UNKNOWN_RESIDUE; ++row) {
    if (std::memcmp(token, residue_table[row].name, 3) == 0) {
      return row;
    }
  }
  return UNKNOWN_RESIDUE;
}

int32_t one_letter_number(char letter, int32_t current) {
  // Indexed by letter - 'A'; -1 marks the letters without a residue of their own.
  static const int8_t ROW_OF_LETTER[25] = {
      1,  -1, 18, 8,  9,  5,  0,  16, 4, -1, 14, 3, 17,  // A to M
      12, -1, 19, 13, 15, 10, 11, -1, 2, 7,  -1, 6,      // N to Y
  };
  if (letter < 'A' || letter > 'Y') {
    return current;
  }
  const int8_t row = ROW_OF_LETTER[letter - 'A'];
  return row < 0 ? current : row;
}
