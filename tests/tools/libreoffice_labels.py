#!/usr/bin/python3
# Prints, as JSON, the labels LibreOffice's configuration holds for Writer's label dialog:
# {manufacturer: {name: measure}}, or null for a manufacturer that Writer's label dialog cannot
# reach, as it looks each one up by path. Starts LibreOffice headless on the given user profile (a
# file URL), asks through UNO, and ends it again.
#   libreoffice_labels.py PROFILE_URL PIPE_NAME
import json
import subprocess
import sys
import time

import uno
from com.sun.star.beans import PropertyValue
from com.sun.star.connection import NoConnectException
from com.sun.star.container import NoSuchElementException

profile, pipe = sys.argv[1], sys.argv[2]
office = subprocess.Popen(
    ["soffice", "--headless", "--invisible", "--norestore", "--nologo", "--nodefault",
     "-env:UserInstallation=" + profile, "--accept=pipe,name=%s;urp;" % pipe],
    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

local = uno.getComponentContext()
resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
context = None
# Its first start makes the profile; it listens once that is done.
while context is None:
    try:
        context = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
    except NoConnectException:
        if office.poll() is not None:
            sys.exit("LibreOffice ended with status %d before it accepted a connection" % office.returncode)
        time.sleep(0.1)

try:
    provider = context.ServiceManager.createInstanceWithContext(
        "com.sun.star.configuration.ConfigurationProvider", context)
    path = PropertyValue()
    path.Name = "nodepath"
    path.Value = "/org.openoffice.Office.Labels/Manufacturer"
    manufacturers = provider.createInstanceWithArguments(
        "com.sun.star.configuration.ConfigurationAccess", (path,))
    labels = {}
    for maker in manufacturers.getElementNames():
        try:
            entries = manufacturers.getByHierarchicalName(maker)
        except NoSuchElementException:
            labels[maker] = None
            continue
        labels[maker] = {entries.getByName(e).Name: entries.getByName(e).Measure
                         for e in entries.getElementNames()}
    print(json.dumps(labels, ensure_ascii=False))
finally:
    try:
        context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", context).terminate()
    except Exception:
        # The bridge goes down with the office; that is the end asked for.
        pass
    office.wait()
