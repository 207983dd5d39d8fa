// The console texts a run must show, in Shift-JIS, written out from the program's
// documented wording independently of the program's own tables. Formats, like the
// program's, take the file kind and names through %s.
#ifndef QUORVANE_TESTS_EXPECTED_TEXTS_H_
#define QUORVANE_TESTS_EXPECTED_TEXTS_H_

namespace expected {

// "Is the sample deuterated? (Y/N)", with an ASCII question mark.
constexpr char ASK_DEUTERATED[] = "D\x89\xbb\x8e\x8e\x97\xbf\x82\xc5\x82\xb7\x82\xa9?(Y/N)\n";
constexpr char ASK_RATIO[] = "Please input protein deutaration ratio(percent)\n";
constexpr char ASK_D2O[] = "Please input ratio of D2O (percent)\n";
// "Is the current directory right for the path of the residue information file to
// read? [Y]/N", with a full-width question mark.
constexpr char PATH_CURRENT[] =
    "\x93\xc7\x82\xdd\x8d\x9e\x82\xde\x8e"
    "c\x8a\xee\x8f\xee\x95\xf1\x83t\x83@\x83"
    "C\x83\x8b"
    "\x82\xccpath\x82\xcd\x81"
    "A\x83J\x83\x8c\x83\x93\x83g\x83"
    "f\x83"
    "B\x83\x8c\x83N\x83g\x83"
    "\x8a\x82\xc5\x97\xc7\x82\xa2\x82\xc5\x82\xb7\x82\xa9\x81H[Y]/N\n";
// "The path of the residue information file to read is"
constexpr char PATH_IS[] =
    "\x93\xc7\x82\xdd\x8d\x9e\x82\xde\x8e"
    "c\x8a\xee\x8f\xee\x95\xf1\x83t\x83@\x83"
    "C\x83\x8b"
    "\x82\xccpath\x82\xcd\n";
// "Is that right? [Y]/N"
constexpr char PATH_OK[] = "\x82\xc5\x97\xc7\x82\xa2\x82\xc5\x82\xb7\x82\xa9\x81H[Y]/N\n";
// "Enter the path of the residue information file to read."
constexpr char PATH_ENTER[] =
    "\x93\xc7\x82\xdd\x8d\x9e\x82\xde\x8e"
    "c\x8a\xee\x8f\xee\x95\xf1\x83t\x83@\x83"
    "C\x83\x8b"
    "\x82\xccpath\x82\xf0\x93\xfc\x97\xcd\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81"
    "B\n";
// "Enter the name of the residue information file to read (*.DAT)."
constexpr char NAME_ENTER[] =
    "\x93\xc7\x82\xdd\x8d\x9e\x82\xde\x8e"
    "c\x8a\xee\x8f\xee\x95\xf1\x83t\x83@\x83"
    "C\x83\x8b"
    "\x96\xbc\x82\xf0\x93\xfc\x97\xcd\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2(*.DAT)\x81"
    "B\n";
// "The file to read is %s"
constexpr char FILE_IS[] =
    "\x93\xc7\x82\xdd\x8d\x9e\x82\xde\x83t\x83@\x83"
    "C\x83\x8b\x82\xcd%s\x82\xc5\x82\xb7\n";
// "%s failed to open."
constexpr char OPEN_FAILED[] =
    "%s\x82\xf0\x83I\x81[\x83v\x83\x93\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5"
    "\x82\xbd\x81"
    "B\n";
// "%s was opened." / "Reading the data."
constexpr char OPENED_READ[] =
    "%s\x82\xf0\x83I\x81[\x83v\x83\x93\x82\xc5\x82\xab\x82\xdc\x82\xb5\x82\xbd\x81"
    "B\n\x83"
    "f\x81[\x83^\x82\xf0\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x82\xdc\x82\xb7\x81"
    "B\n";
// "%s was opened." / "Writing the data."
constexpr char OPENED_WRITE[] =
    "%s\x82\xf0\x83I\x81[\x83v\x83\x93\x82\xc5\x82\xab\x82\xdc\x82\xb5\x82\xbd\x81"
    "B\n\x83"
    "f\x81[\x83^\x82\xf0\x8f\x91\x82\xab\x8d\x9e\x82\xdd\x82\xdc\x82\xb7\x81"
    "B\n";
// Full-width question mark after "Data code".
constexpr char ASK_DATA_CODE[] =
    "Data code\x81H (0=Three Character code, 1=One Character code, 2=Number Code)\n";
// "Finishing. [Y]"
constexpr char ASK_END[] =
    "\x8fI\x97\xb9\x82\xb5\x82\xdc\x82\xb7\x81"
    "B[Y]\n";

// One GLY in H2O, not deuterated: the lines the calculation adds after the data code.
constexpr char GLY_IN_H2O[] =
    "Acid=0, Name:GLY\n"
    "\n"
    "Acid Total Number=1\n"
    "D2O concentration (%) = 0.000000\n"
    "Total scattering length=17.243999\n"
    "Total scattering contrast=20.953857\n"
    "Total volume =66.400002\n"
    "Total Mw =75.066680\n"
    "Total unExchangable Hydrogen =2\n"
    "Total Exchangable Hydrogen =1\n"
    "Scattering length density = 0.259699\n"
    "Scattering contrast = 0.315570\n"
    "Solvent scattering length density= -0.055871\n";

}  // namespace expected

#endif  // QUORVANE_TESTS_EXPECTED_TEXTS_H_
