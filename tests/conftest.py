import pytest

from kolvar import _engine


@pytest.fixture
def engine():
    return _engine
