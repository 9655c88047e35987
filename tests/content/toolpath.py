"""Puts tools/content on the import path for the tests of this folder."""

import os
import sys

TOOLS = os.environ.get("VELK_CONTENT_TOOLS") or os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "content")
FIXTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fixtures")
sys.path.insert(0, TOOLS)
