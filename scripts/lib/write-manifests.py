#!/usr/bin/env python3
"""Writes the package managers' manifests for a release into <dist>/manifests/:
winget's multi-file set (version, installer, default locale) and Scoop's
manifest for the win64 zip. scripts/package passes what it just made:
  write-manifests.py DIST VERSION DOWNLOAD_ADDRESS SETUP SETUP_SHA256 ZIP64 ZIP64_SHA256
"""
import json
import os
import sys

import yaml

PACKAGE_ID = "Quenzel.Quenzel"
MANIFEST_VERSION = "1.6.0"
HOME_PAGE = "https://quenzel.example.org"
PUBLISHER = "Quenzel project"
LICENSE = "See " + HOME_PAGE
DESCRIPTION = "Encrypts and decrypts files and folders, shreds files and maps folders to drive letters."
# The installer's Uninstall entry, which winget matches installed copies by.
PRODUCT_CODE = "Quenzel"


def write_yaml(path, kind, fields):
    head = "# yaml-language-server: $schema=https://aka.ms/winget-manifest.%s.%s.schema.json\n" % (
        kind, MANIFEST_VERSION)
    with open(path, "w", encoding="utf-8") as out:
        out.write(head)
        yaml.safe_dump(fields, out, sort_keys=False, allow_unicode=True)


def winget(folder, version, address, setup, setup_hash):
    os.makedirs(folder, exist_ok=True)
    ident = {"PackageIdentifier": PACKAGE_ID, "PackageVersion": version}
    write_yaml(os.path.join(folder, PACKAGE_ID + ".yaml"), "version",
               {**ident, "DefaultLocale": "en-US", "ManifestType": "version",
                "ManifestVersion": MANIFEST_VERSION})
    # One installer for every Windows: it picks the build itself.
    installers = [{"Architecture": arch, "InstallerUrl": address + "/" + setup,
                   "InstallerSha256": setup_hash.upper()} for arch in ("x64", "x86")]
    write_yaml(os.path.join(folder, PACKAGE_ID + ".installer.yaml"), "installer",
               {**ident, "InstallerType": "nullsoft", "Scope": "user",
                "InstallModes": ["interactive", "silent", "silentWithProgress"],
                "InstallerSwitches": {"Silent": "/S", "SilentWithProgress": "/S"},
                "UpgradeBehavior": "install", "ProductCode": PRODUCT_CODE,
                "Installers": installers, "ManifestType": "installer",
                "ManifestVersion": MANIFEST_VERSION})
    write_yaml(os.path.join(folder, PACKAGE_ID + ".locale.en-US.yaml"), "defaultLocale",
               {**ident, "PackageLocale": "en-US", "Publisher": PUBLISHER, "PackageName": "Quenzel",
                "PackageUrl": HOME_PAGE, "License": LICENSE, "ShortDescription": DESCRIPTION,
                "ManifestType": "defaultLocale", "ManifestVersion": MANIFEST_VERSION})


def scoop(folder, version, address, zip64, zip64_hash):
    os.makedirs(folder, exist_ok=True)
    manifest = {
        "version": version,
        "description": DESCRIPTION,
        "homepage": HOME_PAGE,
        "license": LICENSE,
        # Only the 64-bit zip: Scoop refuses it on 32-bit Windows.
        "architecture": {"64bit": {"url": address + "/" + zip64, "hash": zip64_hash}},
        "bin": "quenzel-cli.exe",
        "shortcuts": [["Quenzel.exe", "Quenzel"]],
    }
    with open(os.path.join(folder, "quenzel.json"), "w", encoding="utf-8") as out:
        json.dump(manifest, out, indent=4)
        out.write("\n")


def main(argv):
    if len(argv) != 8:
        sys.exit(__doc__)
    dist, version, address, setup, setup_hash, zip64, zip64_hash = argv[1:]
    winget(os.path.join(dist, "manifests", "winget"), version, address, setup, setup_hash)
    scoop(os.path.join(dist, "manifests", "scoop"), version, address, zip64, zip64_hash)


if __name__ == "__main__":
    main(sys.argv)
