#!/usr/bin/python3
"""Writes the example data files of this folder.

iris.asc and wine.asc come from the public data sets that Debian's python3-sklearn ships as CSV
(the measurements are copied unchanged); showcase.asc and showcase_custdata.asc are made up to
show every element of the format. Run from anywhere: python3 examples/make_examples.py
"""
import csv
import os

HERE = os.path.dirname(os.path.abspath(__file__))
SKLEARN_DATA = "/usr/lib/python3/dist-packages/sklearn/datasets/data"


def quoted(name):
    """The token for a name: runs with blanks go in quotes, a literal quote is written "" ."""
    if name == "":
        return "(.;#;.)"
    parts = []
    for i, run in enumerate(name.split('"')):
        if i > 0:
            parts.append('""')
        if run:
            parts.append('"' + run + '"' if " " in run else run)
    return "".join(parts)


def write(name, lines):
    # The format wants CR LF line ends.
    with open(os.path.join(HERE, name), "w", newline="", encoding="utf-8") as f:
        f.write("\r\n".join(lines) + "\r\n")


def read_sklearn_csv(name):
    with open(os.path.join(SKLEARN_DATA, name), newline="") as f:
        rows = list(csv.reader(f))
    header, data = rows[0], rows[1:]
    return header[2:], data  # class names, rows of features + class index


def iris():
    classes, data = read_sklearn_csv("iris.csv")
    columns = ["sepal length", "sepal width", "petal length", "petal width"]
    lines = ["Iris measurements in cm (Fisher, 1936), 3 species, 50 plants each",
             "%d columns" % len(columns), "%d rows" % len(data), "TRUE TRUE TRUE TRUE",
             " ".join(quoted(c) for c in columns)]
    seen = {}
    for row in data:
        species = classes[int(row[-1])]
        seen[species] = seen.get(species, 0) + 1
        lines.append("%d %s-%d %s" % (int(row[-1]) + 1, species, seen[species], " ".join(row[:-1])))
    lines.append("<VARTYPES>")
    lines += ["%d Ratio" % (c + 1) for c in range(len(columns))]
    lines.append("</VARTYPES>")
    write("iris.asc", lines)
    # The same table as a spreadsheet would save it: a heading, row names first, the class last.
    with open(os.path.join(HERE, "iris.csv"), "w", newline="", encoding="utf-8") as f:
        out = csv.writer(f, lineterminator="\r\n")
        out.writerow(["plant"] + columns + ["class"])
        for line in lines[5:5 + len(data)]:
            cls, plant, *values = line.split(" ")
            out.writerow([plant] + values + [cls])


def wine():
    classes, data = read_sklearn_csv("wine_data.csv")
    columns = ["Alcohol", "Malic acid", "Ash", "Alcalinity of ash", "Magnesium",
               "Total phenols", "Flavanoids", "Nonflavanoid phenols", "Proanthocyanins",
               "Color intensity", "Hue", "OD280/OD315", "Proline"]
    lines = ["Wine recognition data: chemical analysis of wines from three cultivars",
             "%d columns" % len(columns), "%d rows" % len(data), "TRUE TRUE FALSE FALSE",
             " ".join(quoted(c) for c in columns)]
    for row in data:
        lines.append("%d %s" % (int(row[-1]) + 1, " ".join(row[:-1])))
    lines += ["<custdata>", "<source>UCI Machine Learning Repository, Wine data set</source>",
              "<classes>%s</classes>" % ", ".join(classes), "</custdata>"]
    write("wine.asc", lines)


SHOWCASE_ROWS = [
    # class, name, values (sex, grade, weight, score); ### is a missing value, NAN not a
    # number, "( x)" a value written in parentheses; class 2.5 rounds to 2
    (1, "Anna", "2 1 61.5 17.25"),
    (2, 'Ben "the elder" Smith', "1 3 ### 12"),
    (2.5, "", "1 2 80.25 ( 14.5)"),
    (3, "O'Neil, Claire", "2 NAN 58\r\n9.75"),
    (1, "Dan", "1 4 72\t( -3.5)"),
]


def showcase(custdata):
    name = "showcase_custdata.asc" if custdata else "showcase.asc"
    lines = ["Every element of the ASC format" + (": custom data" if custdata else ": levels"),
             "4 columns: sex, grade, weight, score", "5 rows",
             "true\tTRUE  true " + ("FALSE" if custdata else "TRUE"),
             " ".join(quoted(c) for c in ["Sex", "Grade", "Weight (kg)", 'Test "score"'])]
    lines += ["%g %s %s" % (cls, quoted(row), values) for cls, row, values in SHOWCASE_ROWS]
    if custdata:
        lines += ["<CUSTDATA>", "<Author>Example generator</Author>",
                  "<skipped>a line without its closing tag is no pair",
                  "<Note>Keys and values are free text</Note>", "</custdata>"]
    else:
        lines += ["<VARTYPES>", "1 Nominal <1=male><2=female>",
                  "2 Ordinal <1=poor><2=fair><3=good><4=excellent>", "3 Ratio", "4 Interval",
                  "</VARTYPES>"]
    write(name, lines)


if __name__ == "__main__":
    iris()
    wine()
    showcase(False)
    showcase(True)
