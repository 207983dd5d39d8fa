#!/usr/bin/env python3
"""An independent recomputation of quorvane-series's figures from the documented model.

It shares no code with the program and takes its data from other sources: element
masses and scattering lengths, and the amino acids' compositions, from the periodictable
package; least squares from numpy. The console calculator's residue volumes, the
nucleotides and the buffer solutes are typed here from their published tables. The
water densities are the formulations the manual names (Kell 1975 for H2O, the stated
fit for D2O), typed here again: verify checks them against the IAPWS formulations
(python3-iapws) from 1 to 95 C, so that the golden figures can be exact to the digit.

    planner_oracle.py expected CASE_DIR    print the expected standard output of a golden
                                           case of quorvane-series (and write its expected
                                           files with --write)
    planner_oracle.py verify GOLDEN_DIR    check that every planner golden case holds what
                                           this recomputation expects

Only the options the golden cases use are understood.
"""
import gzip
import itertools
import math
import os
import sys

try:
    import numpy as np
    import periodictable as pt
    from iapws import D2O as HeavyWater
    from iapws import IAPWS95
    from periodictable import fasta
except ImportError as missing:
    # CI installs python3-numpy, python3-periodictable and python3-iapws; elsewhere the
    # check is skipped (CTest's SKIP_RETURN_CODE), saying why.
    print("planner_oracle: %s; apt-get install python3-numpy python3-periodictable "
          "python3-iapws" % missing)
    sys.exit(1 if os.environ.get("CI") == "true" else 77)

N_A = 6.02214076e23
R_E = 2.8179403  # fm
WATER_MASS = 18.01528  # g/mol, one per chain

# --- elements -------------------------------------------------------------------------


def element(symbol):
    return pt.D if symbol == "D" else getattr(pt, symbol)


def b(symbol):
    return element(symbol).neutron.b_c


def mass(symbol):
    return 2.014102 if symbol == "D" else element(symbol).mass


STEP_B = b("D") - b("H")
STEP_M = mass("D") - mass("H")


def parse(formula):
    """Element counts and charge of a formula such as C4H4NO3-1."""
    charge = 0
    for sign in "+-":
        if sign in formula[1:]:
            at = formula.index(sign, 1)
            tail = formula[at + 1:]
            charge = (int(tail) if tail else 1) * (1 if sign == "+" else -1)
            formula = formula[:at]
    counts = {}
    i = 0
    while i < len(formula):
        symbol = formula[i]
        i += 1
        while i < len(formula) and formula[i].islower():
            symbol += formula[i]
            i += 1
        digits = ""
        while i < len(formula) and formula[i].isdigit():
            digits += formula[i]
            i += 1
        counts[symbol] = counts.get(symbol, 0) + (int(digits) if digits else 1)
    return counts, charge


class Unit:
    """A unit with every hydrogen as H (the H form), its labile and carbon-bound H."""

    def __init__(self, mass_h=0.0, length_h=0.0, labile=0.0, nonlabile=0.0, electrons=0.0,
                 volume=0.0):
        self.mass_h, self.length_h = mass_h, length_h
        self.labile, self.nonlabile = labile, nonlabile
        self.electrons, self.volume = electrons, volume

    def add(self, symbol, n=1):
        self.mass_h += n * mass(symbol)
        self.length_h += n * b(symbol)
        self.electrons += n * element(symbol).number


def formula_unit(formula, labile, volume=0.0):
    counts, charge = parse(formula)
    u = Unit(volume=volume, electrons=-charge)
    for symbol, n in counts.items():
        u.add(symbol, n)
    u.labile, u.nonlabile = labile, counts.get("H", 0) - labile
    return u


# The console calculator's residue volumes, as its table states them (single precision).
TABLE_VOLUMES = {"G": 66.4, "A": 91.5, "V": 141.7, "L": 167.9, "I": 168.8, "F": 203.4,
                 "Y": 203.6, "W": 237.6, "D": 113.6, "E": 140.6, "S": 99.1, "T": 122.1,
                 "N": 135.2, "Q": 161.1, "K": 176.2, "R": 180.8, "H": 167.3, "M": 170.8,
                 "C": 105.6, "P": 129.3}


def amino_acid(code, volumes):
    """A residue from periodictable's composition (labile H written H[1]); cysteine
    with its thiol hydrogen, as the planner counts it before --disulfides."""
    m = fasta.AMINO_ACID_CODES[code]
    u = Unit(electrons=-m.charge)
    for atom, n in m.formula.atoms.items():
        u.add("H" if atom is pt.H[1] else atom.symbol, n)
        u.labile += n if atom is pt.H[1] else 0
        u.nonlabile += n if atom is pt.H else 0
    if code == "C":
        u.add("H")
        u.labile += 1
    u.volume = float(np.float32(TABLE_VOLUMES[code])) if volumes == "table" else m.cell_volume
    return u


# Nucleotides in a chain, sodium salts (../shared/data/nucleotides.md; Perkins 1988).
NUCLEOTIDES = {
    "dna": {"A": ("C10H11N5O5PNa", 2, 289), "C": ("C9H11N3O6PNa", 2, 278),
            "G": ("C10H11N5O6PNa", 3, 294), "T": ("C10H12N2O7PNa", 1, 301)},
    "rna": {"A": ("C10H11N5O6PNa", 3, 299), "C": ("C9H11N3O7PNa", 3, 288),
            "G": ("C10H11N5O7PNa", 4, 304), "U": ("C9H10N2O8PNa", 2, 284)},
}

# Buffer solutes: formula, labile H, apparent molar volume cm^3/mol (CRC, 20 C), liquid
# density g/cm^3 (../shared/data/solvent.md).
SOLUTES = {"nacl": ("NaCl", 0, 15.8, 0), "glycerol": ("C3H8O3", 3, 71.0, 1.2613),
           "sucrose": ("C12H22O11", 8, 210.5, 0), "tris": ("C4H11NO3", 5, 92.5, 0),
           "urea": ("CH4N2O", 4, 45.0, 0), "ethanol": ("C2H6O", 1, 54.9, 0.7893)}

# --- the solvent ------------------------------------------------------------------------


def kell_form(a, b_, t):
    return sum(c * t ** k for k, c in enumerate(a)) / (1 + b_ * t) / 1000


def h2o_density(t):
    """G. S. Kell, J. Chem. Eng. Data 20, 97 (1975), g/cm^3."""
    return kell_form([999.83952, 16.945176, -7.9870401e-3, -46.170461e-6, 105.56302e-9,
                      -280.54253e-12], 16.879850e-3, t)


def d2o_density(t):
    """The manual's fit to the IAPWS heavy-water formulation, g/cm^3."""
    return kell_form([1104.575454639, 11.60211884933, -9.986880102063e-3, -4.159101721429e-6,
                      -4.678073634024e-8, 3.790567859596e-11], 1.027954262586e-2, t)


def check_densities():
    """The formulations against IAPWS-95 and the IAPWS heavy-water formulation."""
    worst = 0.0
    for t in np.arange(1.0, 95.01, 0.5):
        for formulation, reference in ((h2o_density, IAPWS95), (d2o_density, HeavyWater)):
            exact = reference(T=273.15 + t, P=0.101325).rho / 1000
            worst = max(worst, abs(formulation(t) - exact))
    return worst


class Solvent:
    """H2O and heavy water of `purity` mixed by volume at `temperature` C, with the
    buffer's solutes (unit, mol/L) taking their apparent volumes."""

    def __init__(self, temperature=20.0, purity=1.0, buffer=()):
        self.purity, self.temperature = purity, temperature
        n_h = h2o_density(temperature) * N_A / (2 * mass("H") + mass("O")) * 1e-24
        n_d = d2o_density(temperature) * N_A / (2 * mass("D") + mass("O")) * 1e-24
        b_h2o = 2 * b("H") + b("O")
        b_heavy = 2 * (purity * b("D") + (1 - purity) * b("H")) + b("O")
        share, s0, s1, e0 = 1.0, 0.0, 0.0, 0.0
        for u, molar in buffer:
            n = molar * N_A * 1e-27
            share -= n * u.volume
            s0 += n * u.length_h
            s1 += n * u.labile * STEP_B * purity
            e0 += n * u.electrons
        self.water_share = share
        self.at_h2o = share * n_h * b_h2o + s0
        self.per_d2o = share * (n_d * b_heavy - n_h * b_h2o) + s1
        self.x_at_h2o = R_E * (share * 10 * n_h + e0)
        self.x_per_d2o = R_E * share * 10 * (n_d - n_h)

    def sld(self, x):
        return self.at_h2o + self.per_d2o * x

    def xray(self, x):
        return self.x_at_h2o + self.x_per_d2o * x

    def labile_d(self, x):
        return self.purity * x


NAMES = {"nacl": "NaCl", "glycerol": "glycerol", "sucrose": "sucrose", "tris": "Tris",
         "urea": "urea", "ethanol": "ethanol"}


def canonical_solute(name):
    return NAMES[name.lower()]


def buffer_solute(text):
    name, conc = text.split("=")
    formula, labile, phi_v, density = SOLUTES[name.lower()]
    u = formula_unit(formula, labile, phi_v * 1e24 / N_A)
    for unit, factor in (("mM", 1e-3), ("M", 1.0)):
        if conc.endswith(unit):
            return u, float(conc[:-len(unit)]) * factor
    value = float(conc[:-4])
    grams_per_litre = value * 10 * (density if conc.endswith("%v/v") else 1.0)
    return u, grams_per_litre / u.mass_h


# --- a component --------------------------------------------------------------------------


class Component:
    def __init__(self, label, parts, exchange, water, volume=0.0, copies=1, residues=0,
                 deuteration=0.0):
        self.label, self.parts, self.exchange, self.water = label, parts, exchange, water
        self.volume, self.copies, self.residues = volume, copies, residues
        self.deuteration = deuteration  # the -d as given, for the CSV
        self.placed = []  # (unit, deuteration, x, y, z) for structures

    def point(self, solvent, x):
        """Length, mass, volume and electrons at D2O fraction x."""
        p = self.exchange * solvent.labile_d(x) if solvent is not None else 0.0
        length = mass_ = volume = electrons = 0.0
        for count, u, d in self.parts:
            length += count * (u.length_h + (u.labile * p + u.nonlabile * d) * STEP_B)
            mass_ += count * (u.mass_h + (u.labile * p + u.nonlabile * d) * STEP_M)
            volume += count * u.volume
            electrons += count * u.electrons
        if self.volume > 0:
            volume = self.volume
        return length, mass_ + self.water, volume, electrons

    def weighed(self, solvent):
        return self.point(solvent, 0.0)[1]


def match(components, solvent):
    """The match point (D2O fraction) of copies of components together, or None."""
    a = bslope = v = 0.0
    for c, copies in components:
        l0, _, v0, _ = c.point(solvent, 0.0)
        l1, _, _, _ = c.point(solvent, 1.0)
        a += copies * l0
        bslope += copies * (l1 - l0)
        v += copies * v0
    slope = bslope - v * solvent.per_d2o
    if v <= 0 or abs(slope) <= 1e-9 * (abs(bslope) + abs(v * solvent.per_d2o)):
        return None
    return -(a - v * solvent.at_h2o) / slope


def shifted(c, de, dv, dd):
    parts = []
    for count, u, d in c.parts:
        moved = Unit(u.mass_h, u.length_h, u.labile, u.nonlabile, u.electrons, u.volume * (1 + dv))
        parts.append((count, moved, min(1.0, max(0.0, d + dd)) if d > 0 else d))
    return Component(c.label, parts, min(1.0, max(0.0, c.exchange + de)), c.water,
                     c.volume * (1 + dv), c.copies, c.residues)


def match_range(components, solvent, unc):
    found = [match([(shifted(c, e * unc[0] / 100, v * unc[1] / 100, d * unc[2] / 100), n)
                    for c, n in components], solvent)
             for e, v, d in itertools.product((-1, 1), repeat=3)]
    found = [m for m in found if m is not None]
    return (min(found), max(found)) if found else None


# --- reading sequences ---------------------------------------------------------------------

THREE = {"GLY": "G", "ALA": "A", "VAL": "V", "LEU": "L", "ILE": "I", "PHE": "F", "TYR": "Y",
         "TRP": "W", "ASP": "D", "GLU": "E", "SER": "S", "THR": "T", "ASN": "N", "GLN": "Q",
         "LYS": "K", "ARG": "R", "HIS": "H", "MET": "M", "CYS": "C", "PRO": "P"}
AMBIGUOUS = {"B": "DN", "Z": "EQ", "J": "IL", "X": "GAVLIFYWDESTNQKRHMCP"}
NUCLEIC_AMBIGUOUS = {"R": "AG", "Y": "CT", "K": "GT", "M": "AC", "S": "CG", "W": "AT",
                     "B": "CGT", "D": "AGT", "H": "ACT", "V": "ACG", "N": "ACGT"}


def records_of(text, kind):
    """(id, {letter: count}, selenium, residues, unknown) per record of a one-letter or
    FASTA text."""
    records = []
    current = None
    for line in text.splitlines():
        if line.startswith(">"):
            words = line[1:].split()
            current = [words[0] if words else "", {}, 0, 0, 0]
            records.append(current)
            continue
        if current is None:
            current = ["", {}, 0, 0, 0]
            records.append(current)
        for letter in line.upper():
            if letter in " \t\r*-":
                continue
            own = "T" if kind == "dna" else "U"
            letters = None
            if kind == "protein":
                if letter in TABLE_VOLUMES:
                    letters = letter
                elif letter in AMBIGUOUS:
                    letters = AMBIGUOUS[letter]
                elif letter == "U":
                    letters = "C"
                    current[2] += 1
            elif letter in "ACG" + own:
                letters = letter
            elif letter in NUCLEIC_AMBIGUOUS:
                letters = NUCLEIC_AMBIGUOUS[letter].replace("T", own)
            if letters is None:
                current[4] += 1
                continue
            for one in letters:
                current[1][one] = current[1].get(one, 0) + 1.0 / len(letters)
            current[3] += 1
    return records


def read_sequences(path, kind, code):
    text = open(path).read()
    if code == "three" or (code is None and text.split() and text.split()[0].upper() in THREE):
        counts, unknown = {}, 0
        for word in text.split():
            one = THREE.get(word.upper())
            if one is None:
                unknown += 1
            else:
                counts[one] = counts.get(one, 0) + 1
        return [["", counts, 0, int(sum(counts.values())), unknown]], "three-letter"
    return records_of(text, kind), "one-letter"


def first_unknown_entry(path):
    for word in open(path).read().split():
        if word.upper() not in THREE:
            return word
    return ""


def stem(path):
    name = os.path.basename(path)
    if name.endswith(".gz"):
        name = name[:-3]
    return name[:name.rfind(".")] if "." in name[1:] else name


# --- structures: the hand-written models of the golden cases -------------------------------

STANDARD_DNA = {"DA": "A", "DC": "C", "DG": "G", "DT": "T"}


def atom_records(path):
    """(record, altloc, residue name, chain, residue key, atom, element, x, y, z) of a
    small PDB or mmCIF file (an atom_site loop with the columns of the golden models),
    and the sequence lengths per chain (PDB) or entity (mmCIF)."""
    text = (gzip.open(path, "rt") if path.endswith(".gz") else open(path)).read()
    atoms, seqres = [], {}
    if ".cif" in path:
        columns, in_atoms, in_sequence, entity_length, entity_of = [], False, False, {}, {}
        for line in text.splitlines():
            words = line.split()
            if line.startswith("_entity_poly_seq.") or line.startswith("_atom_site."):
                columns.append(line.strip())
                in_atoms = line.startswith("_atom_site.")
                in_sequence = line.startswith("_entity_poly_seq.")
                continue
            if in_sequence and len(words) == 3 and words[1].isdigit():
                entity_length[words[0]] = entity_length.get(words[0], 0) + 1
                continue
            in_sequence = False
            if words and words[0] in ("ATOM", "HETATM") and in_atoms:
                row = dict(zip([c.split(".")[1] for c in columns if c.startswith("_atom_site.")],
                               words))
                atoms.append((row["group_PDB"], row["label_alt_id"].replace(".", " "),
                              row["label_comp_id"], row["auth_asym_id"],
                              (row["auth_seq_id"], row["label_asym_id"]), row["label_atom_id"],
                              row["type_symbol"], float(row["Cartn_x"]), float(row["Cartn_y"]),
                              float(row["Cartn_z"])))
                entity_of.setdefault(row["auth_asym_id"], row["label_entity_id"])
        for chain, entity in entity_of.items():
            if entity in entity_length:
                seqres[chain] = entity_length[entity]
        return atoms, seqres
    for line in text.splitlines():
        record = line[:6].strip()
        if record == "SEQRES":
            chain = line[11]
            seqres[chain] = seqres.get(chain, 0) + len(line[19:70].split())
        if record in ("ATOM", "HETATM"):
            atoms.append((record, line[16], line[17:20].strip(), line[21], line[22:27],
                          line[12:16].strip(), line[76:78].strip(), float(line[30:38]),
                          float(line[38:46]), float(line[46:54])))
    return atoms, seqres


def read_pdb(path):
    """Chains of a small model: residues with their atoms (first altloc), ligands,
    waters, sequence lengths. Enough for the hand-written golden models."""
    chains, order = {}, []
    atoms, seqres = atom_records(path)
    for record, altloc, name, chain, key, atom, symbol, x, y, z in atoms:
        if altloc not in " A":
            continue
        key = (key, name)
        residues = chains.setdefault(chain, {})
        if chain not in order:
            order.append(chain)
        if key not in residues:
            residues[key] = {"name": name, "het": record == "HETATM", "atoms": []}
        residues[key]["atoms"].append((atom, symbol, x, y, z))
    return chains, seqres, order


def centre(atoms):
    heavy = [a for a in atoms if a[1] != "H"]
    return tuple(sum(a[k] for a in heavy) / len(heavy) for k in (2, 3, 4))


def ligand_unit(atoms):
    u = Unit()
    for _, symbol, *_ in atoms:
        u.add(symbol.capitalize())
        u.nonlabile += 1 if symbol.capitalize() == "H" else 0
    u.volume = u.mass_h * 0.73 * 1e24 / N_A
    return u


def structure_components(path, spec, options):
    chains, seqres, order = read_pdb(path)
    info = {}
    for chain in order:
        residues = chains[chain]
        sites, ligands, waters = [], [], 0
        dna = sum(1 for r in residues.values() if r["name"] in STANDARD_DNA)
        amino = sum(1 for r in residues.values() if r["name"] in THREE or r["name"] == "MSE")
        kind = "dna" if dna > amino else "protein"
        for r in residues.values():
            name = r["name"]
            if name == "HOH":
                waters += 1
            elif kind == "protein" and (name in THREE or name == "MSE"):
                sites.append(("M" if name == "MSE" else THREE[name], name == "MSE",
                              centre(r["atoms"]), r))
            elif kind == "dna" and name in STANDARD_DNA:
                sites.append((STANDARD_DNA[name], False, centre(r["atoms"]), r))
            else:
                ligands.append((name, ligand_unit(r["atoms"]), centre(r["atoms"])))
        info[chain] = {"kind": kind, "sites": sites, "ligands": ligands, "waters": waters,
                       "missing": max(0, seqres.get(chain, 0) - len(sites))}
    # A ligand in a chain of its own goes with the polymer chain nearest to it.
    for chain in order:
        if info[chain]["sites"]:
            continue
        for ligand in info[chain]["ligands"]:
            best = min(((sum((a - c) ** 2 for a, c in zip(site[2], ligand[2])), other)
                        for other in order for site in info[other]["sites"]))
            info[best[1]].setdefault("nearby", []).append(ligand)
    components = []
    wanted = spec.get("chains") or [c for c in order if info[c]["sites"]]
    groups = [wanted] if spec.get("chains") else [[c] for c in wanted]
    for group in groups:
        kind = info[group[0]]["kind"]
        label = spec.get("label") or (stem(path) + "_" + "+".join(group))
        parts, placed, notes = [], [], {"modified": 0, "missing": 0, "waters": 0, "lig": []}
        residues = 0
        exchange = spec.get("exchange", options["exchange"]) / 100.0
        for chain in group:
            c = info[chain]
            for ligand in c.get("nearby", []) + c["ligands"]:
                notes["lig"].append(ligand[0])
                if options["ligands"]:
                    parts.append((1.0, ligand[1], 0.0))
                    placed.append((ligand[1], 0.0, exchange, ligand[2]))
            for letter, selenium, where, _ in c["sites"]:
                u = unit_of(kind, letter)
                if selenium:
                    u = Unit(u.mass_h + mass("Se") - mass("S"), u.length_h + b("Se") - b("S"),
                             u.labile, u.nonlabile, u.electrons + 18, u.volume)
                    notes["modified"] += 1
                d = deuteration(spec, kind, letter)
                parts.append((1.0, u, d))
                placed.append((u, d, exchange, where))
                residues += 1
            notes["missing"] += c["missing"]
            notes["waters"] += c["waters"]
        component = Component(label, parts, exchange, WATER_MASS * len(group),
                              copies=spec.get("copies", 1), residues=residues,
                              deuteration=spec.get("d", 0.0))
        component.placed = placed
        component.kind, component.notes, component.path = kind, notes, path
        component.record = ",".join(group)
        components.append(component)
    return components


# --- components from the command line -----------------------------------------------------


def unit_of(kind, letter, volumes="table"):
    if kind == "protein":
        return amino_acid(letter, volumes)
    formula, labile, volume = NUCLEOTIDES[kind][letter]
    return formula_unit(formula, labile, volume)


def deuteration(spec, kind, letter):
    d = spec.get("d", 0.0)
    for kinds, percent in spec.get("deuterate", []):
        for name in kinds:
            if (kind == "protein" and THREE.get(name.upper()) == letter) or name.upper() == letter:
                d = percent
    return d / 100.0


def sequence_components(spec, options):
    kind = spec.get("type", "protein")
    records, code = read_sequences(spec["path"], kind, spec.get("code"))
    out = []
    for i, (rid, counts, selenium, residues, unknown) in enumerate(records):
        parts = []
        for letter, n in counts.items():
            parts.append((n, unit_of(kind, letter, options["volumes"]), deuteration(spec, kind, letter)))
        if selenium:
            parts.append((selenium, Unit(mass("Se") - mass("S"), b("Se") - b("S"),
                                         electrons=18), 0.0))
        if spec.get("disulfides"):
            parts.append((-2.0 * spec["disulfides"], Unit(mass("H"), b("H"), labile=1,
                                                          electrons=1), 0.0))
        label = spec.get("label") or (rid if len(records) > 1 else stem(spec["path"]))
        c = Component(label, parts, spec.get("exchange", options["exchange"]) / 100.0,
                      WATER_MASS, copies=spec.get("copies", 1), residues=residues,
                      deuteration=spec.get("d", 0.0))
        if spec.get("psv"):
            protonated = Component(label, [(n, u, 0.0) for n, u, _ in parts], 1.0, WATER_MASS)
            c.volume = protonated.weighed(None) * spec["psv"] * 1e24 / N_A
        c.kind, c.code, c.path, c.notes = kind, code, spec["path"], {}
        c.selenium, c.unknown = selenium, unknown
        c.first_unknown = first_unknown_entry(spec["path"])
        out.append(c)
    return out


def formula_component(spec, options):
    u = formula_unit(spec["formula"], spec.get("labile", 0))
    c = Component(spec.get("label") or spec["formula"], [(1.0, u, spec.get("d", 0.0) / 100.0)],
                  spec.get("exchange", options["exchange"]) / 100.0, 0.0,
                  copies=spec.get("copies", 1), deuteration=spec.get("d", 0.0))
    if spec.get("volume"):
        c.volume = spec["volume"]
    else:
        psv = 1.0 / spec["density"] if spec.get("density") else spec["psv"]
        c.volume = c.weighed(None) * psv * 1e24 / N_A
    c.kind, c.path, c.notes = "formula", "", {}
    return c


# Options with a value: the run's (name, conversion) and a component's.
RUN_VALUES = {"--from": ("from", float), "--to": ("to", float), "--step": ("step", float),
              "--conc": ("conc", float), "--temperature": ("temperature", float),
              "--d2o-purity": ("purity", float), "--volumes": ("volumes", str),
              "--sld-unit": ("unit", str), "--stuhrmann": ("stuhrmann", str)}
COMPONENT_VALUES = {"-d": ("d", float), "--deuteration": ("d", float), "-n": ("copies", int),
                    "--copies": ("copies", int), "--disulfides": ("disulfides", int),
                    "--psv": ("psv", float), "--labile": ("labile", float),
                    "--volume": ("volume", float), "--density": ("density", float),
                    "--match-at": ("match_at", float), "-t": ("type", str),
                    "--type": ("type", str), "-c": ("code", str), "--code": ("code", str),
                    "-l": ("label", str), "--label": ("label", str),
                    "--chains": ("chains", lambda v: v.split(","))}


def parse_args(args, directory):
    options = {"exchange": 100.0, "from": 0.0, "to": 100.0, "step": 10.0, "conc": 0.0,
               "xray": False, "csv": False, "ligands": False, "records": False, "temperature": 20.0,
               "purity": 100.0, "buffer": [], "volumes": "table", "unit": "1e-6/A2",
               "uncertainty": [5.0, 2.0, 2.0], "stuhrmann": None, "allow_unknown": False}
    specs, spec = [], {}
    words = iter(args)
    for a in words:
        if a in ("--xray", "--csv", "--ligands", "--records", "--allow-unknown"):
            options[a[2:].replace("-", "_")] = True
        elif not a.startswith("-"):
            specs.append(dict(spec, path=os.path.join(directory, a), name=a))
            spec = {}
            continue
        elif a in RUN_VALUES:
            key, convert = RUN_VALUES[a]
            options[key] = convert(next(words))
        elif a in COMPONENT_VALUES:
            key, convert = COMPONENT_VALUES[a]
            spec[key] = convert(next(words))
        elif a in ("-x", "--exchange"):
            (spec if specs else options)["exchange"] = float(next(words))
        elif a == "--buffer":
            options["buffer"].append(next(words))
        elif a == "--uncertainty":
            for item in next(words).split(","):
                name, value = item.split("=")
                options["uncertainty"][["exchange", "volume", "deuteration"].index(name)] = \
                    float(value)
        elif a == "--deuterate":
            kinds, percent = next(words).split("=")
            spec.setdefault("deuterate", []).append((kinds.split(","), float(percent)))
        elif a == "--formula":
            specs.append(dict(spec, formula=next(words)))
            spec = {}
        else:
            raise SystemExit("oracle: option %s is not understood here" % a)
    return options, specs


# --- the series -------------------------------------------------------------------------------


def d2o_points(start, end, step):
    steps = int(math.floor((end - start) / step + 1e-9))
    points = [start + i * step for i in range(steps + 1)]
    if abs(points[-1] - end) <= 1e-9 * step:
        points[-1] = end
    else:
        points.append(end)
    return points


class Line:
    pass


def figures(c, solvent, x):
    length, mass_, volume, electrons = c.point(solvent, x)
    f = {"x": x, "solvent": solvent.sld(x), "length": length, "mass": mass_, "volume": volume,
         "electrons": electrons, "xsolvent": solvent.xray(x)}
    f["contrast"] = length - volume * f["solvent"]
    return f


def gyration(placed, solvent, x):
    sld = solvent.sld(x)
    c, r = [], []
    for u, d, exchange, where in placed:
        p = exchange * solvent.labile_d(x)
        length = u.length_h + (u.labile * p + u.nonlabile * d) * STEP_B
        c.append(length - u.volume * sld)
        r.append(where)
    c, r = np.array(c), np.array(r)
    total = c.sum()
    if not (abs(c).sum() > 0 and abs(total) > 1e-3 * abs(c).sum()):
        return None
    centre_ = (c[:, None] * r).sum(axis=0) / total
    # Each unit's contrast spread over a uniform sphere of the units' mean volume.
    mean_volume = sum(u.volume for u, *_ in placed) / len(placed)
    own = 0.6 * (3 * mean_volume / (4 * math.pi)) ** (2 / 3)
    return float((c * ((r - centre_) ** 2).sum(axis=1)).sum() / total) + own


def series(components, options, solvent):
    xs = [p / 100 for p in d2o_points(options["from"], options["to"], options["step"])]
    unc = options["uncertainty"]
    lines = []
    for c in components:
        line = Line()
        line.component, line.label, line.copies, line.residues = c, c.label, c.copies, c.residues
        line.points = [figures(c, solvent, x) for x in xs]
        line.match = match([(c, 1)], solvent)
        line.range = match_range([(c, 1)], solvent, unc) if line.match is not None else None
        line.weighed = c.weighed(solvent)
        line.placed = c.placed
        lines.append(line)
    copies = sum(c.copies for c in components)
    if copies > 1:
        line = Line()
        line.component, line.label, line.copies = None, "complex", copies
        line.residues = sum(c.residues * c.copies for c in components)
        line.points = []
        for i, x in enumerate(xs):
            f = {"x": x, "solvent": solvent.sld(x), "xsolvent": solvent.xray(x)}
            for key in ("length", "mass", "volume", "electrons", "contrast"):
                f[key] = sum(l.points[i][key] * l.copies for l in lines)
            line.points.append(f)
        members = [(c, c.copies) for c in components]
        line.match = match(members, solvent)
        line.range = match_range(members, solvent, unc) if line.match is not None else None
        line.weighed = sum(l.weighed * l.copies for l in lines)
        whole = all(c.placed for c in components) and all(c.copies == 1 for c in components)
        line.placed = [p for c in components for p in c.placed] if whole else []
        lines.append(line)
    total = lines[-1].weighed if copies > 1 else lines[-1].weighed * lines[-1].copies
    for line in lines:
        n = 1 if line.component is None else line.copies
        share = options["conc"] * n * line.weighed / total
        for f in line.points:
            f["sld"] = f["length"] / f["volume"]
            f["csld"] = f["contrast"] / f["volume"]
            f["xsld"] = f["electrons"] * R_E / f["volume"]
            xcontrast = f["xsld"] * f["volume"] - f["xsolvent"] * f["volume"]
            scale = share * 1e-3 * N_A / line.weighed * 1e-26
            f["i0"] = scale * f["contrast"] ** 2
            f["xi0"] = scale * xcontrast ** 2
        line.rg2 = [gyration(line.placed, solvent, f["x"]) for f in line.points] \
            if line.placed else None
        if line.placed:
            used = [(1 / f["csld"], g) for f, g in zip(line.points, line.rg2)
                    if g is not None and g > 0 and
                    not (line.match is not None and abs(f["x"] * 100 - line.match * 100) < 10)]
            line.used = len(used)
            line.fit = None
            if len(used) >= 4:
                u = np.array([a for a, _ in used])
                y = np.array([g for _, g in used])
                c2, c1, c0 = np.polyfit(u, y, 2)
                residual = math.sqrt(float(((y - (c0 + c1 * u + c2 * u * u)) ** 2).mean()))
                line.fit = (c0, c1, -c2, residual)
    return lines


# --- the reports, as the manual describes them -------------------------------------------------


def g(value, digits=6):
    return "%.*g" % (digits, value)


def csv_field(text):
    if any(c in text for c in ',"\r\n'):
        return '"' + text.replace('"', '""') + '"'
    return text


def rg_text(line, i, csv):
    if not line.rg2 or line.rg2[i] is None:
        return "" if csv else "n/a"
    if line.rg2[i] < 0:
        return "neg"
    return "%.*f" % (4 if csv else 1, math.sqrt(line.rg2[i]))


def columns(options, lines):
    """(csv name, text header, text unit, width, sld?, text format, csv format, value)."""
    unit = options["unit"]
    suffix = "_1e-6_per_A2" if unit == "1e-6/A2" else "_fm_per_A3"
    none = float("nan")
    cols = [
        ("component", None, None, 0, False, None, "s", lambda l, f, i: l.label),
        ("copies", None, None, 0, False, None, ".0f", lambda l, f, i: l.copies),
        ("residues", None, None, 0, False, None, ".0f", lambda l, f, i: l.residues),
        ("deuteration_percent", None, None, 0, False, None, "g",
         lambda l, f, i: l.component.deuteration if l.component else none),
        ("exchange_percent", None, None, 0, False, None, "g",
         lambda l, f, i: l.component.exchange * 100 if l.component else none),
        ("d2o_percent", "D2O", "%", 7, False, ".2f", "g", lambda l, f, i: f["x"] * 100),
        ("solvent_sld" + suffix, "solvent SLD", None, 11, True, ".3f", ".6f",
         lambda l, f, i: f["solvent"]),
        ("scattering_length_fm", "length", "fm", 11, False, ".1f", ".9g",
         lambda l, f, i: f["length"]),
        ("contrast_fm", "contrast", "fm", 11, False, ".1f", ".9g", lambda l, f, i: f["contrast"]),
        ("mw_g_per_mol", "Mw", "g/mol", 10, False, ".1f", ".9g", lambda l, f, i: f["mass"]),
        ("volume_A3", None, None, 0, False, None, ".9g", lambda l, f, i: f["volume"]),
        ("sld" + suffix, "SLD", None, 9, True, ".3f", ".6f", lambda l, f, i: f["sld"]),
        ("contrast_sld" + suffix, "contrast SLD", None, 12, True, ".3f", ".6f",
         lambda l, f, i: f["csld"]),
        ("match_point_percent", None, None, 0, False, None, ".2f",
         lambda l, f, i: l.match * 100 if l.match is not None else none),
        ("match_point_low_percent", None, None, 0, False, None, ".2f",
         lambda l, f, i: l.range[0] * 100 if l.range else none),
        ("match_point_high_percent", None, None, 0, False, None, ".2f",
         lambda l, f, i: l.range[1] * 100 if l.range else none),
    ]
    if options["xray"]:
        cols += [("xray_sld" + suffix, "X-ray SLD", None, 9, True, ".3f", ".6f",
                  lambda l, f, i: f["xsld"]),
                 ("solvent_xray_sld" + suffix, "solvent X-ray", None, 13, True, ".3f", ".6f",
                  lambda l, f, i: f["xsolvent"])]
    if options["conc"] > 0:
        cols += [("i0_per_cm", "I(0)", "1/cm", 10, False, ".4g", ".6g", lambda l, f, i: f["i0"])]
    if options["xray"] and options["conc"] > 0:
        cols += [("i0_xray_per_cm", "X-ray I(0)", "1/cm", 10, False, ".4g", ".6g",
                  lambda l, f, i: f["xi0"])]
    if any(l.rg2 for l in lines):
        cols += [("rg_A", "Rg", "A", 6, False, None, None, None)]
    return cols


def cell(col, line, i, options, csv):
    name, header, unit, width, sld, text_format, csv_format, value = col
    if value is None:
        text = rg_text(line, i, csv)
    else:
        v = value(line, line.points[i], i)
        fmt = csv_format if csv else text_format
        if isinstance(v, str):
            text = v
        elif isinstance(v, float) and math.isnan(v):
            text = "" if csv else "n/a"
        else:
            if sld:
                scale = 10.0 if options["unit"] == "1e-6/A2" else 1.0
                v *= scale
                if not csv and scale == 1.0:
                    fmt = ".4f"
            text = ("%" + fmt) % v
    return csv_field(text) if csv else text.rjust(width)


def csv_report(lines, options):
    cols = columns(options, lines)
    out = ",".join(c[0] for c in cols) + "\n"
    for line in lines:
        for i in range(len(line.points)):
            out += ",".join(cell(c, line, i, options, True) for c in cols) + "\n"
    return out


def description(c):
    kind = getattr(c, "kind", "protein")
    if kind == "formula":
        text = "(formula %s, %s labile H)" % (c.spec["formula"], g(c.spec.get("labile", 0)))
    elif c.placed:
        what = ", chains " if "," in c.record else ", chain "
        text = "(%s, structure%s%s): %d %s" % (c.spec["name"], what, c.record, c.residues,
                                               "residues" if kind == "protein" else
                                               "nucleotides, " + kind.upper())
    else:
        text = "(%s, %s code%s): %d %s" % (c.spec["name"], c.code,
                                          "" if kind == "protein" else ", " + kind.upper(),
                                          c.residues,
                                          "residues" if kind == "protein" else "nucleotides")
    text += ", deuteration %s %%" % g(c.spec.get("d", 0.0))
    for kinds, percent in c.spec.get("deuterate", []):
        text += ", %s %s %%" % (",".join(kinds), g(percent))
    if c.spec.get("disulfides"):
        text += ", %d disulfides" % c.spec["disulfides"]
    if c.spec.get("psv"):
        text += ", volume from psv %s" % g(c.spec["psv"])
    if "exchange" in c.spec:
        text += ", labile H exchange %s %%" % g(c.spec["exchange"])
    return text + ", %d %s" % (c.copies, "copy" if c.copies == 1 else "copies")


def notes(c):
    out = []
    n = getattr(c, "notes", {})
    if getattr(c, "selenium", 0):
        out.append("%s U counted as cysteine with selenium for sulfur" % g(c.selenium))
    if getattr(c, "unknown", 0):
        out.append("%d entries that name no residue left out, the first \"%s\"" % (
            c.unknown, c.first_unknown))
    if n.get("modified"):
        out.append("modified residues counted as their parents (MSE as MET with Se): MSE x%d"
                   % n["modified"])
    if n.get("missing"):
        out.append("%d residue%s of the sequence records %s not in the model; the sums use the "
                   "%d modelled" % (n["missing"], "" if n["missing"] == 1 else "s",
                                    "is" if n["missing"] == 1 else "are", c.residues))
    if n.get("waters"):
        out.append("%d water%s skipped" % (n["waters"], "" if n["waters"] == 1 else "s"))
    if n.get("lig"):
        names = ", ".join(n["lig"])
        out.append("ligands added as modelled (hydrogens only where modelled, none labile; "
                   "volume at 0.73 cm^3/g): " + names if c.options["ligands"] else
                   "ligands left out (add them with --ligands): " + names)
    return out


def text_report(lines, options, solvent):
    unit = options["unit"]
    scale = 10.0 if unit == "1e-6/A2" else 1.0
    uname = "1e-6/A^2" if unit == "1e-6/A2" else "fm/A^3"
    out = ("Solvent: H2O and D2O (%s %% D) mixed by volume at %s C, densities of Kell (1975) and "
           "IAPWS (2017); SLD %.3f to %.3f %s\n" % (g(options["purity"]), g(options["temperature"]),
                                                    solvent.at_h2o * scale,
                                                    (solvent.at_h2o + solvent.per_d2o) * scale,
                                                    uname))
    if options["buffer"]:
        solutes = ", ".join("%s %s" % (t.split("=")[1], canonical_solute(t.split("=")[0]))
                            for t in options["buffer"])
        out += ("Buffer: %s (apparent molar volumes at 20 C), %.1f %% of the volume\n"
                % (solutes, (1 - solvent.water_share) * 100))
    out += "Labile hydrogens exchanging with the solvent: %s %%\n" % g(options["exchange"])
    out += ("Model: labile H that do not exchange stay H; chain termini in Mw only; fixed "
            "protonation (ASP, GLU, LYS, ARG, HIS charged; nucleotides as sodium salts); protein "
            "volumes %s\n" % ("of Perkins (1988)" if options["volumes"] == "perkins" else
                              "of the console calculator's table (--volumes perkins for Perkins "
                              "1988)"))
    unc = options["uncertainty"]
    out += ("Uncertainties of the match points: exchange +-%s points, volume +-%s %%, deuteration "
            "+-%s points\n" % (g(unc[0]), g(unc[1]), g(unc[2])))
    if options["conc"] > 0:
        out += ("I(0) at %s mg/mL in all, each component at its mass share; masses as weighed "
                "(labile H as H)\n" % g(options["conc"]))
    cols = [c for c in columns(options, lines) if c[1] is not None]
    for line in lines:
        out += "\n"
        if line.component is not None:
            out += "%s %s\n" % (line.label, description(line.component))
            for note in notes(line.component):
                out += "  note: %s\n" % note
        else:
            out += "complex: %d molecules\n" % line.copies
        out += " ".join(c[1].rjust(c[3]) for c in cols) + "\n"
        out += " ".join((uname if c[4] else c[2]).rjust(c[3]) for c in cols) + "\n"
        for i in range(len(line.points)):
            out += " ".join(cell(c, line, i, options, False) for c in cols) + "\n"
    out += "\nMatch points (contrast zero), with their range over the uncertainties:\n"
    for line in lines:
        if line.match is None:
            out += "  %-20s none: the contrast does not change with D2O\n" % line.label
            continue
        m = line.match * 100
        rng = " (%.1f-%.1f)" % (line.range[0] * 100, line.range[1] * 100) if line.range else ""
        out += "  %-20s %6.1f %% D2O%s%s\n" % (line.label, m, rng,
                                             "  (outside 0-100 %: no solvent matches it)"
                                             if m < 0 or m > 100 else "")
    out += match_at(lines, options, solvent)
    if any(l.rg2 for l in lines):
        out += ("\nStuhrmann fits, Rg^2 = Rm^2 + alpha/drho - beta/drho^2 (drho: mean contrast "
                "density, fm/A^3; points where Rg^2 is not defined or negative, or within 10 % "
                "D2O of the match point, left out):\n")
        for line in lines:
            if not line.rg2:
                continue
            used = "points used: %d of %d" % (line.used, len(line.points))
            if line.fit is None:
                advice = ("it needs 4: give more D2O points" if len(line.points) < 4
                          else "widen the D2O range away from the match point")
                out += "  %-20s too few points for a fit (%s); %s\n" % (line.label, used, advice)
                continue
            rm2, alpha, beta, residual = line.fit
            rm = math.sqrt(rm2) if rm2 >= 0 else -math.sqrt(-rm2)
            out += ("  %-20s Rm %8.3f A  alpha %10.5g fm/A  beta %10.5g fm^2/A^4  residual "
                    "%.3f A^2, %s\n" % (line.label, rm, alpha, beta, residual, used))
        placed = [l for l in lines if l.component is not None and l.component.placed]
        if len(placed) > 1:
            out += "\nCentre-to-centre distances (volume-weighted centres):\n"
            for a in range(len(placed)):
                for b_ in range(a + 1, len(placed)):
                    ca, cb = volume_centre(placed[a].component), volume_centre(placed[b_].component)
                    out += "  %s - %s: %.2f A\n" % (placed[a].label, placed[b_].label,
                                                   math.dist(ca, cb))
    return out


def deuteration_for(c, solvent, x):
    """The uniform deuteration of all carbon-bound H that matches c at x, or None."""
    def contrast(d):
        moved = Component(c.label, [(n, u, d) for n, u, _ in c.parts], c.exchange, c.water, c.volume)
        length, _, volume, _ = moved.point(solvent, x)
        return length - volume * solvent.sld(x)
    gain = contrast(1.0) - contrast(0.0)
    return None if gain == 0 else -contrast(0.0) / gain


def match_at(lines, options, solvent):
    out = ""
    unc = options["uncertainty"]
    for line in lines:
        c = line.component
        if c is None or "match_at" not in c.spec:
            continue
        if not out:
            out = "\nDeuteration for a chosen match point (all carbon-bound H alike):\n"
        x = c.spec["match_at"] / 100
        d = deuteration_for(c, solvent, x)
        corners = [deuteration_for(shifted(c, e * unc[0] / 100, v * unc[1] / 100, 0), solvent, x)
                   for e in (-1, 1) for v in (-1, 1)]
        corners = [k for k in corners if k is not None]
        rng = " (%.1f-%.1f)" % (min(corners) * 100, max(corners) * 100) if corners else ""
        if d is not None and 0 <= d <= 1:
            out += "  %s: deuteration %.1f %%%s matches it at %s %% D2O\n" % (
                c.label, d * 100, rng, g(c.spec["match_at"]))
        elif d is not None:
            out += ("  %s: no deuteration from 0 to 100 %% matches it at %s %% D2O (it would "
                    "take %.1f %%)\n" % (c.label, g(c.spec["match_at"]), d * 100))
    return out


def records_report(components, options, solvent):
    unit = options["unit"]
    scale = 10.0 if unit == "1e-6/A2" else 1.0
    out = ("Labile hydrogens exchanging with the solvent: %s %%; Mw as weighed (labile H as H); "
           "SLD in %s\n" % (g(options["exchange"]), "1e-6/A^2" if scale == 10 else "fm/A^3"))
    out += "%-24s %9s %11s %10s %8s %8s %20s\n" % ("record", "residues", "Mw g/mol",
                                                   "volume A^3", "SLD H2O", "SLD D2O",
                                                   "match % D2O")
    for c in components:
        l0, m0, v0, _ = c.point(solvent, 0.0)
        l1, _, v1, _ = c.point(solvent, 1.0)
        m = match([(c, 1)], solvent)
        text = "none"
        if m is not None:
            r = match_range([(c, 1)], solvent, options["uncertainty"])
            text = "%.1f" % (m * 100) + (" (%.1f-%.1f)" % (r[0] * 100, r[1] * 100) if r else "")
        out += "%-24s %9d %11.1f %10.0f %8.3f %8.3f %20s\n" % (
            c.label, c.residues, m0, v0, l0 / v0 * scale, l1 / v1 * scale, text)
    return out


def volume_centre(c):
    total = sum(u.volume for u, *_ in c.placed)
    return tuple(sum(u.volume * where[k] for u, _, _, where in c.placed) / total for k in range(3))


def stuhrmann_csv(lines):
    out = "component,rm_A,alpha_fm_per_A,beta_fm2_per_A4,residual_A2,points_used,points\n"
    for line in lines:
        if not line.rg2:
            continue
        out += csv_field(line.label)
        if line.fit:
            rm2, alpha, beta, residual = line.fit
            rm = math.sqrt(rm2) if rm2 >= 0 else -math.sqrt(-rm2)
            out += ",%s,%s,%s,%.6f" % (g(rm), g(alpha), g(beta), residual)
        else:
            out += ",,,,"
        out += ",%d,%d\n" % (line.used, len(line.points))
    return out


# --- golden cases ---------------------------------------------------------------------------


def expected(case):
    args = open(os.path.join(case, "args")).read().split("\n")
    args = [a for a in args if a != ""]
    options, specs = parse_args(args, os.path.join(case, "input"))
    buffer = [buffer_solute(text) for text in options["buffer"]]
    solvent = Solvent(options["temperature"], options["purity"] / 100, buffer)
    components = []
    for spec in specs:
        if "formula" in spec:
            made = [formula_component(spec, options)]
        elif spec["path"].endswith((".pdb", ".cif", ".pdb.gz")):
            made = structure_components(spec["path"], spec, options)
        else:
            made = sequence_components(spec, options)
        for c in made:
            c.spec, c.options = spec, options
        components += made
    if options["records"]:
        return records_report(components, options, solvent), {}
    lines = series(components, options, solvent)
    files = {}
    if options["stuhrmann"]:
        files[options["stuhrmann"]] = stuhrmann_csv(lines)
    report = csv_report(lines, options) if options["csv"] else text_report(lines, options, solvent)
    return report, files


def planner_cases(golden):
    for name in sorted(os.listdir(golden)):
        case = os.path.join(golden, name)
        program = os.path.join(case, "program")
        if (os.path.exists(program) and open(program).read().strip() == "quorvane-series" and
                os.path.exists(os.path.join(case, "oracle"))):
            yield case


def main(argv):
    if len(argv) >= 3 and argv[1] == "expected":
        report, files = expected(argv[2])
        if "--write" in argv:
            open(os.path.join(argv[2], "console.out"), "w").write(report)
            for name, text in files.items():
                os.makedirs(os.path.join(argv[2], "expected"), exist_ok=True)
                open(os.path.join(argv[2], "expected", name), "w").write(text)
        else:
            sys.stdout.write(report)
        return 0
    if len(argv) == 3 and argv[1] == "verify":
        failures = 0
        worst = check_densities()
        if worst > 2e-5:
            print("FAIL water densities: %.2g g/cm^3 from IAPWS" % worst)
            failures += 1
        else:
            print("ok   water densities within %.2g g/cm^3 of IAPWS from 1 to 95 C" % worst)
        count = 0
        for case in planner_cases(argv[2]):
            count += 1
            report, files = expected(case)
            want = {"console.out": report}
            want.update({os.path.join("expected", n): t for n, t in files.items()})
            for name, text in want.items():
                have = open(os.path.join(case, name)).read()
                if have != text:
                    print("FAIL %s: %s differs from the recomputation" % (os.path.basename(case), name))
                    failures += 1
        print("%d golden cases recomputed, %d failures" % (count, failures))
        return 1 if failures else 0
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
