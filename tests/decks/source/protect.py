# Saves a spreadsheet again with the password "quiz", which --convert-to cannot do. Run with the
# system python3 (python3-uno) while soffice listens on the pipe "decks":
#   protect.py IN OUT FILTER [--quit]   (--quit ends that soffice afterwards)
import sys, time, uno
from com.sun.star.beans import PropertyValue, NamedValue

def prop(name, value, kind=PropertyValue):
    p = kind(); p.Name, p.Value = name, value; return p

local = uno.getComponentContext()
resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
for attempt in range(30):  # soffice takes a few seconds to start listening
    try:
        ctx = resolver.resolve("uno:pipe,name=decks;urp;StarOffice.ComponentContext"); break
    except Exception:
        time.sleep(1)
desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)
doc = desktop.loadComponentFromURL(uno.systemPathToFileUrl(sys.argv[1]), "_blank", 0, (prop("Hidden", True),))
# The Office Open XML filter ignores "Password"; it wants the key as EncryptionData.
key = uno.Any("[]com.sun.star.beans.NamedValue", (prop("OOXPassword", "quiz", NamedValue), prop("CryptoType", "Standard", NamedValue)))
lock = prop("EncryptionData", key) if "2007" in sys.argv[3] else prop("Password", "quiz")
args = uno.Any("[]com.sun.star.beans.PropertyValue", (prop("FilterName", sys.argv[3]), lock))
uno.invoke(doc, "storeToURL", (uno.systemPathToFileUrl(sys.argv[2]), args))
doc.close(True)
if sys.argv[4:] == ["--quit"]:
    try:
        desktop.terminate()
    except Exception:  # the bridge goes down with soffice
        pass
